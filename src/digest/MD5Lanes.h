// The vector kernels of the multi-buffer MD5: each hashes blocks of many streams ("lanes") at once, one
// 32-bit word of a vector register per lane. Each kernel lives in a file compiled for its instruction set
// alone; the engine calls one only after the processor said it runs it.
#pragma once

#include "digest/MD5Block.h"

#include <cstddef>
#include <cstdint>

/// Hashes `blocks` 64-byte blocks for each lane whose bit is set in `mask`, on the chaining values `state`
/// (word j of lane i at state[j * lanes + i]). data[i] is lane i's first block; its others follow it in
/// memory. Lanes whose bit is clear keep their chaining value, and their pointer is not read.
using MD5LanesKernel = void (*)(std::uint32_t* state, const unsigned char* const* data, std::uint32_t mask,
                                std::size_t blocks);

/// The 64 constants, each repeated for 16 lanes. Defined where the kernels cannot see the values: a vector
/// operand read from memory costs one instruction, where the compiler would build the known constant in a
/// register with three.
struct MD5LaneConstantTable {
    alignas(64) std::uint32_t words[64][16];
};
extern const MD5LaneConstantTable kMD5LaneConstants;

#if defined(FERRULE_MD5_VECTOR)
// One set of lanes (x1) or two interleaved (x2). The engine uses AVX2x2 and AVX512x1; the others stay for the
// benchmark, to show what interleaving gives on the processor at hand.
void MD5LanesAVX2x1(std::uint32_t* state, const unsigned char* const* data, std::uint32_t mask, std::size_t blocks);
void MD5LanesAVX2x2(std::uint32_t* state, const unsigned char* const* data, std::uint32_t mask, std::size_t blocks);
void MD5LanesAVX512x1(std::uint32_t* state, const unsigned char* const* data, std::uint32_t mask, std::size_t blocks);
void MD5LanesAVX512x2(std::uint32_t* state, const unsigned char* const* data, std::uint32_t mask, std::size_t blocks);
#endif

namespace md5rounds {

// The kernel over `Sets` interleaved sets of Ops::kLanes lanes. Ops adds to the step operations
// LoadBlocks (the 16 message words of kLanes blocks, transposed to one word of each lane per vector),
// Load, and StoreLanes (only the lanes whose bit is set).
template <class Ops, std::size_t Sets>
FERRULE_ALWAYS_INLINE void HashLanes(std::uint32_t* state, const unsigned char* const* data, std::uint32_t mask,
                                     std::size_t blocks) {
    constexpr std::size_t kLanes = Ops::kLanes * Sets;
    // An idle lane reads this block over and over; its result is dropped at the end.
    alignas(64) static const unsigned char kIdleBlock[64] = {};
    const unsigned char* next[kLanes];
    std::size_t advance[kLanes];
    for (std::size_t i = 0; i < kLanes; ++i) {
        const bool busy = ((mask >> i) & 1U) != 0;
        next[i] = busy ? data[i] : kIdleBlock;
        advance[i] = busy ? 64 : 0;
    }
    typename Ops::Word s[Sets][4];
    for (std::size_t k = 0; k < Sets; ++k) {
        for (std::size_t j = 0; j < 4; ++j) {
            s[k][j] = Ops::Load(state + j * kLanes + k * Ops::kLanes);
        }
    }
    for (; blocks > 0; --blocks) {
        typename Ops::Word x[Sets][16];
        for (std::size_t k = 0; k < Sets; ++k) {
            Ops::LoadBlocks(x[k], next + k * Ops::kLanes);
        }
        for (std::size_t i = 0; i < kLanes; ++i) {
            next[i] += advance[i];
        }
        Block<Ops, Sets>(s, x);
    }
    for (std::size_t k = 0; k < Sets; ++k) {
        for (std::size_t j = 0; j < 4; ++j) {
            Ops::StoreLanes(state + j * kLanes + k * Ops::kLanes, s[k][j], mask >> (k * Ops::kLanes));
        }
    }
}

} // namespace md5rounds
