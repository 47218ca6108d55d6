#include "digest/DigestText.h"

std::string HexUpper(std::uint32_t value, int digits) {
    std::string text(static_cast<std::size_t>(digits), '0');
    WriteHexUpper(value, digits, text.data());
    return text;
}

std::string HexLower(const std::uint8_t* bytes, std::size_t count) {
    std::string text(count * 2, '0');
    WriteHexLower(bytes, count, text.data());
    return text;
}

void WriteHexUpper(std::uint32_t value, int digits, char* text) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    for (int i = digits - 1; i >= 0; --i) {
        text[i] = kDigits[value & 0xFU];
        value >>= 4;
    }
}

void WriteHexLower(const std::uint8_t* bytes, std::size_t count, char* text) {
    static constexpr char kDigits[] = "0123456789abcdef";
    for (std::size_t i = 0; i < count; ++i) {
        text[2 * i] = kDigits[bytes[i] >> 4];
        text[2 * i + 1] = kDigits[bytes[i] & 0xFU];
    }
}
