// Joining CRCs of pieces gives the CRC of the whole, wherever the message is cut, empty pieces included.
#include "digest/CRCCombine.h"
#include "digest/CRC16.h"
#include "digest/CRC32.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

TEST(CRCCombine, PiecesJoinToTheWhole) {
    std::mt19937 random(5);
    std::vector<unsigned char> bytes(300000);
    for (unsigned char& byte : bytes) {
        byte = static_cast<unsigned char>(random());
    }
    std::vector<std::size_t> cuts = {0, 1, 2, 63, 64, 65, 4096, bytes.size() - 1, bytes.size()};
    for (int i = 0; i < 50; ++i) {
        cuts.push_back(random() % (bytes.size() + 1));
    }
    for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{100}, bytes.size()}) {
        const std::uint32_t whole32 = UpdateCRC32(0, bytes.data(), size);
        const std::uint16_t whole16 = UpdateCRC16(0, bytes.data(), size);
        for (const std::size_t cut : cuts) {
            if (cut > size) {
                continue;
            }
            SCOPED_TRACE(std::to_string(size) + " bytes cut at " + std::to_string(cut));
            const std::size_t rest = size - cut;
            EXPECT_EQ(CombineCRC32(UpdateCRC32(0, bytes.data(), cut), UpdateCRC32(0, bytes.data() + cut, rest), rest),
                      whole32);
            EXPECT_EQ(CombineCRC16(UpdateCRC16(0, bytes.data(), cut), UpdateCRC16(0, bytes.data() + cut, rest), rest),
                      whole16);
        }
    }
}

// Lengths far beyond memory: an all-zero piece of 2^k bytes, joined, equals the CRC carried on over the zeros.
TEST(CRCCombine, LongZeroPieces) {
    std::vector<unsigned char> zeros(1 << 20);
    std::uint32_t crc32 = UpdateCRC32(0, reinterpret_cast<const unsigned char*>("abc"), 3);
    std::uint16_t crc16 = UpdateCRC16(0, reinterpret_cast<const unsigned char*>("abc"), 3);
    const std::uint32_t zero32 = UpdateCRC32(0, zeros.data(), zeros.size());
    const std::uint16_t zero16 = UpdateCRC16(0, zeros.data(), zeros.size());
    std::uint32_t fed32 = crc32;
    std::uint16_t fed16 = crc16;
    for (int i = 0; i < 8; ++i) {
        fed32 = UpdateCRC32(fed32, zeros.data(), zeros.size());
        fed16 = UpdateCRC16(fed16, zeros.data(), zeros.size());
        crc32 = CombineCRC32(crc32, zero32, zeros.size());
        crc16 = CombineCRC16(crc16, zero16, zeros.size());
        EXPECT_EQ(crc32, fed32) << i;
        EXPECT_EQ(crc16, fed16) << i;
    }
    // Shifting a CRC over 2^62 bytes twice equals shifting it over 2^63 bytes once: the largest powers.
    for (const std::uint32_t start : {1U, 0x12345678U, 0xFFFFFFFFU}) {
        const std::uint64_t half = std::uint64_t{1} << 62;
        EXPECT_EQ(CombineCRC32(CombineCRC32(start, 0, half), 0, half), CombineCRC32(start, 0, 2 * half));
        EXPECT_EQ(CombineCRC16(CombineCRC16(static_cast<std::uint16_t>(start), 0, half), 0, half),
                  CombineCRC16(static_cast<std::uint16_t>(start), 0, 2 * half));
    }
}

} // namespace
