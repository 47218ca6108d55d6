// 8 lanes per set in AVX2 registers. This file alone is compiled for AVX2.
#include "digest/MD5Lanes.h"

#include <immintrin.h>

namespace {

struct OpsAVX2 {
    using Word = __m256i;
    static constexpr std::size_t kLanes = 8;
    static constexpr bool kSplitSecondRound = true;

    static FERRULE_ALWAYS_INLINE Word And(Word a, Word b) { return _mm256_and_si256(a, b); }
    static FERRULE_ALWAYS_INLINE Word AndNot(Word a, Word b) { return _mm256_andnot_si256(a, b); }

    static FERRULE_ALWAYS_INLINE Word Add(Word a, Word b) { return _mm256_add_epi32(a, b); }
    static FERRULE_ALWAYS_INLINE Word AddConstant(Word a, std::size_t i) {
        return _mm256_add_epi32(a, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(kMD5LaneConstants.words[i])));
    }
    template <int S>
    static FERRULE_ALWAYS_INLINE Word RotateLeft(Word x) {
        return _mm256_or_si256(_mm256_slli_epi32(x, S), _mm256_srli_epi32(x, 32 - S));
    }
    template <std::size_t Round>
    static FERRULE_ALWAYS_INLINE Word Mix(Word b, Word c, Word d) {
        if constexpr (Round == 0) {
            return _mm256_xor_si256(d, _mm256_and_si256(b, _mm256_xor_si256(c, d)));
        } else if constexpr (Round == 1) {
            return _mm256_xor_si256(c, _mm256_and_si256(d, _mm256_xor_si256(b, c)));
        } else if constexpr (Round == 2) {
            return _mm256_xor_si256(b, _mm256_xor_si256(c, d)); // b, the newest word, last
        } else {
            return _mm256_xor_si256(c, _mm256_or_si256(b, _mm256_xor_si256(d, _mm256_set1_epi32(-1))));
        }
    }

    static FERRULE_ALWAYS_INLINE Word Load(const std::uint32_t* p) {
        return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    }
    static FERRULE_ALWAYS_INLINE void StoreLanes(std::uint32_t* p, Word v, std::uint32_t mask) {
        const __m256i bits = _mm256_setr_epi32(1, 2, 4, 8, 16, 32, 64, 128);
        const __m256i selected = _mm256_and_si256(_mm256_set1_epi32(static_cast<int>(mask & 0xFFU)), bits);
        _mm256_maskstore_epi32(reinterpret_cast<int*>(p), _mm256_cmpeq_epi32(selected, bits), v);
    }

    // Transposes 8 blocks (rows) into 16 vectors of one message word each: words 0-7 from the first halves
    // of the blocks, words 8-15 from the second.
    static FERRULE_ALWAYS_INLINE void LoadBlocks(Word (&x)[16], const unsigned char* const* blocks) {
        for (std::size_t half = 0; half < 2; ++half) {
            Word r[8];
            for (std::size_t i = 0; i < 8; ++i) {
                r[i] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(blocks[i] + 32 * half));
            }
            Word t[8];
            for (std::size_t i = 0; i < 8; i += 2) {
                t[i] = _mm256_unpacklo_epi32(r[i], r[i + 1]);
                t[i + 1] = _mm256_unpackhi_epi32(r[i], r[i + 1]);
            }
            // u[4m + q], 128-bit part p: word 4p + q of lanes 4m .. 4m + 3.
            Word u[8];
            for (std::size_t m = 0; m < 8; m += 4) {
                u[m] = _mm256_unpacklo_epi64(t[m], t[m + 2]);
                u[m + 1] = _mm256_unpackhi_epi64(t[m], t[m + 2]);
                u[m + 2] = _mm256_unpacklo_epi64(t[m + 1], t[m + 3]);
                u[m + 3] = _mm256_unpackhi_epi64(t[m + 1], t[m + 3]);
            }
            for (std::size_t q = 0; q < 4; ++q) {
                x[8 * half + q] = _mm256_permute2x128_si256(u[q], u[4 + q], 0x20);
                x[8 * half + 4 + q] = _mm256_permute2x128_si256(u[q], u[4 + q], 0x31);
            }
        }
    }
};

} // namespace

void MD5LanesAVX2x1(std::uint32_t* state, const unsigned char* const* data, std::uint32_t mask, std::size_t blocks) {
    md5rounds::HashLanes<OpsAVX2, 1>(state, data, mask, blocks);
}

void MD5LanesAVX2x2(std::uint32_t* state, const unsigned char* const* data, std::uint32_t mask, std::size_t blocks) {
    md5rounds::HashLanes<OpsAVX2, 2>(state, data, mask, blocks);
}
