// CRC-16/ARC over bytes in memory (reflected polynomial 0xA001, initial value 0, no final XOR).
#pragma once

#include <cstddef>
#include <cstdint>

/// Continues the CRC-16/ARC `crc` over `size` bytes at `data`; start with 0. Feeding a message in
/// pieces gives the same result as feeding it at once.
std::uint16_t UpdateCRC16(std::uint16_t crc, const unsigned char* data, std::size_t size);
