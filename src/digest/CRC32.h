// CRC-32 over bytes in memory: the gzip/zlib CRC (reflected polynomial 0xEDB88320, inverted in and out).
#pragma once

#include <cstddef>
#include <cstdint>

/// Continues the CRC-32 `crc` over `size` bytes at `data`; start with 0. Equal to zlib's crc32()
/// and, like it, can be fed a message in pieces.
std::uint32_t UpdateCRC32(std::uint32_t crc, const unsigned char* data, std::size_t size);
