// CRC-16 and CRC-32 of a file, in the text form checksum lists use.
#pragma once

#include <cstdint>
#include <string>

/// CRC-16/ARC of the file's bytes as 4 upper-case hex digits ("123456789" gives "BB3D").
/// Raises the digest error "ファイルのCRC算出に失敗しました。" when the file cannot be read.
std::string FileCRC16(const std::string& path);

/// CRC-32 (the zlib/gzip CRC) of the file's bytes as 8 upper-case hex digits; an empty file gives
/// "00000000". Raises the digest error "ファイルのCRC算出に失敗しました。" when the file cannot be read.
std::string FileCRC32(const std::string& path);

/// Version of the CRC module in hundredths (101 is shown as 1.01).
std::int16_t CRC32Version();
