// The CRC of two pieces of a message from the CRCs of the pieces, so that parts of one file can be summed apart,
// on several threads, and joined.
#pragma once

#include <cstdint>

/// The CRC-32 (as UpdateCRC32 gives it) of A followed by B, from `crcA` of A, `crcB` of B and B's length.
std::uint32_t CombineCRC32(std::uint32_t crcA, std::uint32_t crcB, std::uint64_t lengthB);

/// The CRC-16/ARC (as UpdateCRC16 gives it) of A followed by B, likewise.
std::uint16_t CombineCRC16(std::uint16_t crcA, std::uint16_t crcB, std::uint64_t lengthB);
