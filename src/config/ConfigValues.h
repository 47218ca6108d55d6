// Reading values of the settings and theme files: the INI calls both classes make and the value syntax.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

/// The value of `key` in `section` of `fileName`, "" when missing, cut to 254 bytes of the ANSI code page.
std::string ReadIniString(const std::string& fileName, std::string_view section, std::string_view key);

/// Stores `value` under `key` in `section` of `fileName`; false when the file could not be written.
bool WriteIniString(const std::string& fileName, std::string_view section, std::string_view key,
                    std::string_view value);

/// `text` without leading and trailing space characters (spaces only, not tabs).
std::string_view TrimSpaces(std::string_view text);

/// A decimal number with an optional sign and an optional fraction, taken to the nearest 32-bit integer
/// (ties to even). Nothing for any other text (blanks, exponents, hexadecimal, trailing characters) or
/// for a result outside the 32-bit range.
std::optional<std::int32_t> ParseInteger(std::string_view text);

/// A flag: "TRUE", "YES", "ON" (true) or "FALSE", "NO", "OFF" (false) in any letter case, or a number
/// as ParseInteger reads it, non-zero being true. Nothing for anything else.
std::optional<bool> ParseFlag(std::string_view text);

/// A colour: "0x" and up to eight hexadecimal digits (anything after them ignored), "#RRGGBB" read as
/// 0x00BBGGRR, or a decimal number as ParseInteger reads it. Nothing for anything else.
std::optional<std::int32_t> ParseColor(std::string_view text);

/// `value` taken to the nearest integer, ties to even, held within the 32-bit range (NaN gives 0).
std::int32_t RoundToInt32(double value);
