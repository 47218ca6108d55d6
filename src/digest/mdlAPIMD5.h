// MD5 of a file, in the text form checksum lists use.
#pragma once

#include <cstdint>
#include <string>

/// MD5 of the file's bytes as 32 lower-case hex digits.
/// Raises the digest error "MD5の算出に失敗しました。" when the file cannot be read.
std::string FileMD5(const std::string& path);

/// Version of the MD5 module in hundredths (101 is shown as 1.01).
std::int16_t MD5Version();
