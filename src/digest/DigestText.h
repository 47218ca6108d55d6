// Text forms of digests as checksum lists write them, and the messages of a failed computation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

inline constexpr char kCRCFailedMessage[] = "ファイルのCRC算出に失敗しました。";
inline constexpr char kMD5FailedMessage[] = "MD5の算出に失敗しました。";

/// The low `digits` hex digits of `value`, upper case, zero-filled on the left (digits 1 to 8).
std::string HexUpper(std::uint32_t value, int digits);

/// Each of the `count` bytes at `bytes` as two lower-case hex digits, byte 0 first.
std::string HexLower(const std::uint8_t* bytes, std::size_t count);

/// HexUpper written to `text` (room for `digits` characters, no terminator), for callers that keep many
/// digests without allocating for each.
void WriteHexUpper(std::uint32_t value, int digits, char* text);

/// HexLower written to `text` (room for 2 * `count` characters, no terminator).
void WriteHexLower(const std::uint8_t* bytes, std::size_t count, char* text);
