// The fast CRCs against the textbook bit-at-a-time definitions, over every length and alignment
// that the 8-byte and vector loops treat differently, and fed whole or in pieces.
#include "digest/CRC16.h"
#include "digest/CRC32.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

namespace {

// A reflected CRC one bit at a time; CRC-16/ARC starts and ends with 0, CRC-32 with all ones.
std::uint32_t Bitwise(const unsigned char* data, std::size_t size, std::uint32_t polynomial, std::uint32_t init) {
    std::uint32_t crc = init;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1U) != 0 ? (crc >> 1) ^ polynomial : crc >> 1;
        }
    }
    return crc ^ init;
}

const auto BitwiseCRC16 = [](const unsigned char* data, std::size_t size) { return Bitwise(data, size, 0xA001U, 0); };
const auto BitwiseCRC32 = [](const unsigned char* data, std::size_t size) {
    return Bitwise(data, size, 0xEDB88320U, 0xFFFFFFFFU);
};

std::vector<unsigned char> RandomBytes(std::size_t size) {
    std::mt19937 random(20240611);
    std::vector<unsigned char> bytes(size);
    std::generate(bytes.begin(), bytes.end(), [&random] { return static_cast<unsigned char>(random()); });
    return bytes;
}

TEST(CRCReference, EveryShortLengthAndAlignment) {
    const std::vector<unsigned char> bytes = RandomBytes(600);
    for (std::size_t offset = 0; offset < 8; ++offset) {
        for (std::size_t size = 0; size + offset <= 520; ++size) {
            const unsigned char* data = bytes.data() + offset;
            ASSERT_EQ(UpdateCRC16(0, data, size), BitwiseCRC16(data, size)) << offset << " " << size;
            ASSERT_EQ(UpdateCRC32(0, data, size), BitwiseCRC32(data, size)) << offset << " " << size;
        }
    }
}

TEST(CRCReference, PiecesGiveTheSameAsWhole) {
    const std::vector<unsigned char> bytes = RandomBytes(100000);
    for (const std::size_t piece : {1, 3, 7, 8, 63, 4096, 65537}) {
        std::uint16_t crc16 = 0;
        std::uint32_t crc32 = 0;
        for (std::size_t at = 0; at < bytes.size(); at += piece) {
            const std::size_t size = std::min(piece, bytes.size() - at);
            crc16 = UpdateCRC16(crc16, bytes.data() + at, size);
            crc32 = UpdateCRC32(crc32, bytes.data() + at, size);
        }
        EXPECT_EQ(crc16, BitwiseCRC16(bytes.data(), bytes.size())) << piece;
        EXPECT_EQ(crc32, BitwiseCRC32(bytes.data(), bytes.size())) << piece;
    }
}

} // namespace
