// The MD5 block function: the 64 steps written once over a word type, so one stream (std::uint32_t) and the
// vector lanes (one 32-bit word per lane) share them; and one stream's block function for the few blocks that
// the lanes leave over.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>

#if defined(__GNUC__)
#define FERRULE_ALWAYS_INLINE inline __attribute__((always_inline))
#else
#define FERRULE_ALWAYS_INLINE inline
#endif

/// The MD5 chaining value (A, B, C, D) before the first block.
inline constexpr std::array<std::uint32_t, 4> kMD5Initial = {0x67452301U, 0xefcdab89U, 0x98badcfeU, 0x10325476U};

/// Runs the MD5 block function over `blocks` 64-byte blocks at `data` on the chaining value `state`.
void MD5CompressBlocks(std::uint32_t state[4], const unsigned char* data, std::size_t blocks);

namespace md5rounds {

inline constexpr std::uint32_t kConstants[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391,
};

inline constexpr int kShifts[4][4] = {{7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};

/// Index of the message word that step `i` adds.
constexpr std::size_t MessageWord(std::size_t i) {
    switch (i / 16) {
        case 0:
            return i;
        case 1:
            return (5 * i + 1) % 16;
        case 2:
            return (3 * i + 5) % 16;
        default:
            return (7 * i) % 16;
    }
}

// Step I of every set. The four chaining words rotate their roles each step instead of being moved: step I
// writes the word it calls "a", which is word (-I mod 4). Sets are independent streams of lanes whose steps
// are interleaved so that the processor has more than one dependency chain to work on. `t` comes in as
// a + constant + message word of this step and leaves as that of the next: summed before the mixing function,
// whose last input ("d", the next step's "a") is then free to be overwritten by a destructive instruction.
// Ops gives Word, Add, AddConstant (constant number i), Mix<round>(b, c, d), RotateLeft<s>, and says in
// kSplitSecondRound whether to build the second round's function from And and AndNot(x, y) = ~x & y instead.
template <class Ops, std::size_t I, std::size_t Sets>
FERRULE_ALWAYS_INLINE void Step(typename Ops::Word (&s)[Sets][4], const typename Ops::Word (&x)[Sets][16],
                                typename Ops::Word (&t)[Sets]) {
    constexpr std::size_t a = (0 - I) & 3;
    constexpr std::size_t b = (1 - I) & 3;
    constexpr std::size_t c = (2 - I) & 3;
    constexpr std::size_t d = (3 - I) & 3;
    for (std::size_t k = 0; k < Sets; ++k) {
        typename Ops::Word next = t[k];
        if constexpr (I + 1 < 64) {
            next = Ops::Add(s[k][d], Ops::AddConstant(x[k][MessageWord(I + 1)], I + 1));
        }
        typename Ops::Word sum;
        if constexpr (I / 16 == 1 && Ops::kSplitSecondRound) {
            // (b & d) | (c & ~d) has no carries between its two halves: adding them one at a time lets the
            // half without b, the word computed last, go in early.
            sum = Ops::Add(Ops::Add(t[k], Ops::AndNot(s[k][d], s[k][c])), Ops::And(s[k][b], s[k][d]));
        } else {
            sum = Ops::Add(t[k], Ops::template Mix<I / 16>(s[k][b], s[k][c], s[k][d]));
        }
        s[k][a] = Ops::Add(s[k][b], Ops::template RotateLeft<kShifts[I / 16][I % 4]>(sum));
        t[k] = next;
    }
}

template <class Ops, std::size_t Sets, std::size_t... I>
FERRULE_ALWAYS_INLINE void Steps(typename Ops::Word (&s)[Sets][4], const typename Ops::Word (&x)[Sets][16],
                                 std::index_sequence<I...>) {
    typename Ops::Word t[Sets];
    for (std::size_t k = 0; k < Sets; ++k) {
        t[k] = Ops::Add(s[k][0], Ops::AddConstant(x[k][0], 0));
    }
    (Step<Ops, I, Sets>(s, x, t), ...);
}

/// One block for every set: the 64 steps, then the chaining value added back.
template <class Ops, std::size_t Sets>
FERRULE_ALWAYS_INLINE void Block(typename Ops::Word (&s)[Sets][4], const typename Ops::Word (&x)[Sets][16]) {
    typename Ops::Word saved[Sets][4];
    for (std::size_t k = 0; k < Sets; ++k) {
        for (std::size_t j = 0; j < 4; ++j) {
            saved[k][j] = s[k][j];
        }
    }
    Steps<Ops, Sets>(s, x, std::make_index_sequence<64>{});
    for (std::size_t k = 0; k < Sets; ++k) {
        for (std::size_t j = 0; j < 4; ++j) {
            s[k][j] = Ops::Add(s[k][j], saved[k][j]);
        }
    }
}

} // namespace md5rounds
