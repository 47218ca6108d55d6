// The fast CRCs against the textbook bit-at-a-time definitions, over every length and alignment
// that the 8-byte and vector loops treat differently, and fed whole or in pieces.
#include "digest/CRC16.h"
#include "digest/CRC32.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace {

std::uint16_t BitwiseCRC16(const unsigned char* data, std::size_t size) {
    unsigned crc = 0;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1U) != 0 ? (crc >> 1) ^ 0xA001U : crc >> 1;
        }
    }
    return static_cast<std::uint16_t>(crc);
}

std::uint32_t BitwiseCRC32(const unsigned char* data, std::size_t size) {
    std::uint32_t crc = 0xFFFFFFFFU;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1U) != 0 ? (crc >> 1) ^ 0xEDB88320U : crc >> 1;
        }
    }
    return ~crc;
}

std::vector<unsigned char> RandomBytes(std::size_t size) {
    std::mt19937 random(20240611);
    std::vector<unsigned char> bytes(size);
    for (unsigned char& byte : bytes) {
        byte = static_cast<unsigned char>(random());
    }
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
    const std::uint16_t whole16 = BitwiseCRC16(bytes.data(), bytes.size());
    const std::uint32_t whole32 = BitwiseCRC32(bytes.data(), bytes.size());
    for (const std::size_t piece : {std::size_t{1}, std::size_t{3}, std::size_t{7}, std::size_t{8}, std::size_t{63},
                                    std::size_t{4096}, std::size_t{65537}}) {
        SCOPED_TRACE(piece);
        std::uint16_t crc16 = 0;
        std::uint32_t crc32 = 0;
        for (std::size_t at = 0; at < bytes.size(); at += piece) {
            const std::size_t size = std::min(piece, bytes.size() - at);
            crc16 = UpdateCRC16(crc16, bytes.data() + at, size);
            crc32 = UpdateCRC32(crc32, bytes.data() + at, size);
        }
        EXPECT_EQ(crc16, whole16);
        EXPECT_EQ(crc32, whole32);
    }
}

} // namespace
