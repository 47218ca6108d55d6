#include "config/ConfigValues.h"

#include "util/IniProfile.h"
#include "util/Utf8.h"
#include "util/Wildcard.h"

#include <cmath>
#include <limits>

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// The run of hexadecimal digits at the start of `text`, as a number; nothing beyond eight digits.
std::optional<std::uint32_t> LeadingHex(std::string_view text) {
    std::uint32_t value = 0;
    std::size_t digits = 0;
    for (char c : text) {
        const int digit = HexDigitValue(c);
        if (digit < 0) {
            break;
        }
        if (++digits > 8) {
            return std::nullopt;
        }
        value = value << 4 | static_cast<std::uint32_t>(digit);
    }
    return value;
}

// Characters `first` to `first + count - 1` of `text`, counted from 1; shorter or empty past the end.
std::string_view Mid(std::string_view text, std::size_t first, std::size_t count) {
    std::size_t pos = 0;
    for (std::size_t index = 1; index < first && pos < text.size(); ++index) {
        NextCodePoint(text, pos);
    }
    const std::size_t start = pos;
    for (std::size_t taken = 0; taken < count && pos < text.size(); ++taken) {
        NextCodePoint(text, pos);
    }
    return text.substr(start, pos - start);
}

bool EqualsUpper(std::string_view text, std::string_view upper) {
    if (text.size() != upper.size()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
        if (c != upper[i]) {
            return false;
        }
    }
    return true;
}

} // namespace

std::string ReadIniString(const std::string& fileName, std::string_view section, std::string_view key) {
    return GetProfileText(section, key, "", fileName, DefaultProfileBufferSize);
}

bool WriteIniString(const std::string& fileName, std::string_view section, std::string_view key,
                    std::string_view value) {
    return WriteProfileText(section, key, value, fileName);
}

std::string_view TrimSpaces(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::optional<std::int32_t> ParseInteger(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    const std::size_t point = text.find('.');
    std::string_view whole = text.substr(0, point);
    const std::string_view fraction = point == std::string_view::npos ? std::string_view{} : text.substr(point + 1);
    const auto allDigits = [](std::string_view part) {
        for (char c : part) {
            if (!IsDigit(c)) {
                return false;
            }
        }
        return true;
    };
    if (whole.size() + fraction.size() == 0 || !allDigits(whole) || !allDigits(fraction)) {
        return std::nullopt;
    }
    while (!whole.empty() && whole.front() == '0') {
        whole.remove_prefix(1);
    }
    if (whole.size() > 10) {
        return std::nullopt;
    }
    std::int64_t magnitude = 0;
    for (char c : whole) {
        magnitude = magnitude * 10 + (c - '0');
    }
    // Decide the rounding on the digits themselves, so no binary fraction can tip a tie either way.
    if (!fraction.empty()) {
        const char first = fraction.front();
        const bool beyondHalf = fraction.find_first_not_of('0', 1) != std::string_view::npos;
        if (first > '5' || (first == '5' && (beyondHalf || magnitude % 2 != 0))) {
            ++magnitude;
        }
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

std::optional<bool> ParseFlag(std::string_view text) {
    if (EqualsUpper(text, "TRUE") || EqualsUpper(text, "YES") || EqualsUpper(text, "ON")) {
        return true;
    }
    if (EqualsUpper(text, "FALSE") || EqualsUpper(text, "NO") || EqualsUpper(text, "OFF")) {
        return false;
    }
    if (const std::optional<std::int32_t> number = ParseInteger(text)) {
        return *number != 0;
    }
    return std::nullopt;
}

std::optional<std::int32_t> ParseColor(std::string_view text) {
    if (WildcardMatch(text, "0x[0-9A-Fa-f]*")) {
        const std::optional<std::uint32_t> bits = LeadingHex(text.substr(2));
        if (!bits) {
            return std::nullopt;
        }
        return static_cast<std::int32_t>(*bits);
    }
    // "#" alone would stand for any digit in a pattern.
    if (WildcardMatch(text, "[#][0-9A-Fa-f]*")) {
        // Written red, green, blue; held blue, green, red.
        std::string hex(Mid(text, 6, 2));
        hex += Mid(text, 4, 2);
        hex += Mid(text, 2, 2);
        return static_cast<std::int32_t>(LeadingHex(hex).value_or(0));
    }
    return ParseInteger(text);
}

std::int32_t RoundToInt32(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    // Worked out by hand rather than with the floating-point rounding mode, which other code may change.
    double rounded = std::floor(value);
    const double rest = value - rounded;
    if (rest > 0.5 || (rest == 0.5 && std::fmod(rounded, 2.0) != 0.0)) {
        rounded += 1.0;
    }
    if (rounded <= static_cast<double>(std::numeric_limits<std::int32_t>::min())) {
        return std::numeric_limits<std::int32_t>::min();
    }
    if (rounded >= static_cast<double>(std::numeric_limits<std::int32_t>::max())) {
        return std::numeric_limits<std::int32_t>::max();
    }
    return static_cast<std::int32_t>(rounded);
}
