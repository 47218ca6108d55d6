#include "util/TextEncoding.h"

#include "util/Utf8.h"
#include "util/clsTextDecoder.h"

std::optional<ByteOrderMark> FindByteOrderMark(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        return ByteOrderMark{TextEncoding::Utf8, 3};
    }
    if (bytes.starts_with("\xFF\xFE")) {
        return ByteOrderMark{TextEncoding::Utf16LE, 2};
    }
    if (bytes.starts_with("\xFE\xFF")) {
        return ByteOrderMark{TextEncoding::Utf16BE, 2};
    }
    return std::nullopt;
}

std::string DecodeText(std::string_view bytes, TextEncoding encoding) {
    clsTextDecoder decoder(encoding);
    std::string text;
    decoder.Decode(bytes, text);
    decoder.Finish(text);
    return text;
}

std::string EncodeUtf16(std::string_view text, bool bigEndian) {
    std::string bytes;
    bytes.reserve(text.size() * 2);
    const auto put = [&](char32_t unit) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    };
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t start = pos;
        char32_t cp = NextCodePoint(text, pos);
        if (pos - start == 1 && cp >= 0x80) {
            cp = 0xFFFD; // a byte that is no part of a well-formed character
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            put(0xD800 + (cp >> 10));
            put(0xDC00 + (cp & 0x3FF));
        } else {
            put(cp);
        }
    }
    return bytes;
}
