#include "digest/MD5Block.h"

#include "digest/MD5Lanes.h"

namespace {

constexpr MD5LaneConstantTable BuildLaneConstants() {
    MD5LaneConstantTable table{};
    for (std::size_t i = 0; i < 64; ++i) {
        for (std::size_t lane = 0; lane < 16; ++lane) {
            table.words[i][lane] = md5rounds::kConstants[i];
        }
    }
    return table;
}

struct ScalarOps {
    using Word = std::uint32_t;
    static constexpr bool kSplitSecondRound = true;
    static Word And(Word a, Word b) { return a & b; }
    static Word AndNot(Word a, Word b) { return ~a & b; }
    static Word Add(Word a, Word b) { return a + b; }
    static Word AddConstant(Word a, std::size_t i) { return a + md5rounds::kConstants[i]; }
    template <int S>
    static Word RotateLeft(Word x) {
        return (x << S) | (x >> (32 - S));
    }
    template <std::size_t Round>
    static Word Mix(Word b, Word c, Word d) {
        if constexpr (Round == 0) {
            return d ^ (b & (c ^ d));
        } else if constexpr (Round == 1) {
            return c ^ (d & (b ^ c));
        } else if constexpr (Round == 2) {
            return b ^ (c ^ d); // b, the newest word, last
        } else {
            return c ^ (b | ~d);
        }
    }
};

// Words are little-endian whatever the host; compilers turn this into one load on little-endian machines.
std::uint32_t LoadWord(const unsigned char* p) {
    return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[3]} << 24);
}

} // namespace

const MD5LaneConstantTable kMD5LaneConstants = BuildLaneConstants();

void MD5CompressBlocks(std::uint32_t state[4], const unsigned char* data, std::size_t blocks) {
    std::uint32_t s[1][4] = {{state[0], state[1], state[2], state[3]}};
    for (; blocks > 0; --blocks, data += 64) {
        std::uint32_t x[1][16];
        for (std::size_t i = 0; i < 16; ++i) {
            x[0][i] = LoadWord(data + 4 * i);
        }
        md5rounds::Block<ScalarOps, 1>(s, x);
    }
    for (std::size_t j = 0; j < 4; ++j) {
        state[j] = s[0][j];
    }
}
