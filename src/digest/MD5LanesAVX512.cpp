// 16 lanes per set in AVX-512 registers. This file alone is compiled for AVX-512 (F, BW, VL).
#include "digest/MD5Lanes.h"

#include <immintrin.h>

namespace {

struct OpsAVX512 {
    using Word = __m512i;
    static constexpr std::size_t kLanes = 16;
    // One instruction does any function of three inputs: splitting would only add work.
    static constexpr bool kSplitSecondRound = false;

    static FERRULE_ALWAYS_INLINE Word Add(Word a, Word b) { return _mm512_add_epi32(a, b); }
    static FERRULE_ALWAYS_INLINE Word AddConstant(Word a, std::size_t i) {
        return _mm512_add_epi32(a, _mm512_loadu_si512(kMD5LaneConstants.words[i]));
    }
    template <int S>
    static FERRULE_ALWAYS_INLINE Word RotateLeft(Word x) {
        return _mm512_rol_epi32(x, S);
    }
    // The four mixing functions as truth tables over (d, b, c) = (0xF0, 0xCC, 0xAA). The instruction
    // overwrites its first input: d, which the step no longer needs, rather than a copy of another.
    template <std::size_t Round>
    static FERRULE_ALWAYS_INLINE Word Mix(Word b, Word c, Word d) {
        // A plain constant, not an array element: unoptimized builds must see an immediate too.
        constexpr int kTable = Round == 0 ? 0xB8 : Round == 1 ? 0xCA : Round == 2 ? 0x96 : 0x65;
        return _mm512_ternarylogic_epi32(d, b, c, kTable);
    }

    static FERRULE_ALWAYS_INLINE Word Load(const std::uint32_t* p) { return _mm512_loadu_si512(p); }
    static FERRULE_ALWAYS_INLINE void StoreLanes(std::uint32_t* p, Word v, std::uint32_t mask) {
        _mm512_mask_storeu_epi32(p, static_cast<__mmask16>(mask & 0xFFFFU), v);
    }

    // Transposes 16 blocks (rows) into 16 vectors of one message word each, in four rounds of shuffles.
    static FERRULE_ALWAYS_INLINE void LoadBlocks(Word (&x)[16], const unsigned char* const* blocks) {
        Word r[16];
        for (std::size_t i = 0; i < 16; ++i) {
            r[i] = _mm512_loadu_si512(blocks[i]);
        }
        Word t[16];
        for (std::size_t i = 0; i < 16; i += 2) {
            t[i] = _mm512_unpacklo_epi32(r[i], r[i + 1]);
            t[i + 1] = _mm512_unpackhi_epi32(r[i], r[i + 1]);
        }
        // u[4m + q], 128-bit part p: word 4p + q of lanes 4m .. 4m + 3.
        Word u[16];
        for (std::size_t m = 0; m < 16; m += 4) {
            u[m] = _mm512_unpacklo_epi64(t[m], t[m + 2]);
            u[m + 1] = _mm512_unpackhi_epi64(t[m], t[m + 2]);
            u[m + 2] = _mm512_unpacklo_epi64(t[m + 1], t[m + 3]);
            u[m + 3] = _mm512_unpackhi_epi64(t[m + 1], t[m + 3]);
        }
        for (std::size_t q = 0; q < 4; ++q) {
            const Word v0 = _mm512_shuffle_i32x4(u[q], u[4 + q], 0x88);
            const Word v1 = _mm512_shuffle_i32x4(u[q], u[4 + q], 0xDD);
            const Word v2 = _mm512_shuffle_i32x4(u[8 + q], u[12 + q], 0x88);
            const Word v3 = _mm512_shuffle_i32x4(u[8 + q], u[12 + q], 0xDD);
            x[q] = _mm512_shuffle_i32x4(v0, v2, 0x88);
            x[8 + q] = _mm512_shuffle_i32x4(v0, v2, 0xDD);
            x[4 + q] = _mm512_shuffle_i32x4(v1, v3, 0x88);
            x[12 + q] = _mm512_shuffle_i32x4(v1, v3, 0xDD);
        }
    }
};

} // namespace

void MD5LanesAVX512x1(std::uint32_t* state, const unsigned char* const* data, std::uint32_t mask, std::size_t blocks) {
    md5rounds::HashLanes<OpsAVX512, 1>(state, data, mask, blocks);
}

void MD5LanesAVX512x2(std::uint32_t* state, const unsigned char* const* data, std::uint32_t mask, std::size_t blocks) {
    md5rounds::HashLanes<OpsAVX512, 2>(state, data, mask, blocks);
}
