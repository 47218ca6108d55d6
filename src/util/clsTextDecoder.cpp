#include "util/clsTextDecoder.h"

#include "util/CodePage.h"
#include "util/Utf8.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// A held-back ANSI run is converted at the latest when it grows beyond this, even without a safe place to cut.
constexpr std::size_t kMaxAnsiPending = std::size_t{1} << 16;

// Length of the longest start of `bytes` that ends after a whole character of the ANSI code page, found without
// converting: up to the last byte below 0x40, which no double-byte code page uses as the second byte of a
// character (CR and LF are among them, so lines always end at such a place). 0 when there is none.
std::size_t AnsiWholeCharacters(std::string_view bytes) {
    for (std::size_t end = bytes.size(); end > 0; --end) {
        if (static_cast<unsigned char>(bytes[end - 1]) < 0x40) {
            return end;
        }
    }
    return 0;
}

// The same by walking the characters of code page 932 from the start, for a long run without such a byte.
std::size_t Cp932WholeCharacters(std::string_view bytes) {
    std::size_t end = 0;
    while (end < bytes.size()) {
        const auto c = static_cast<unsigned char>(bytes[end]);
        const std::size_t length = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC) ? 2 : 1;
        if (end + length > bytes.size()) {
            break;
        }
        end += length;
    }
    return end;
}

// Appends `bytes` with every byte that is no part of a well-formed character replaced by U+FFFD.
void AppendSanitised(std::string_view bytes, std::string& out) {
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t ascii = pos;
        while (ascii < bytes.size() && static_cast<unsigned char>(bytes[ascii]) < 0x80) {
            ++ascii;
        }
        out.append(bytes.substr(pos, ascii - pos));
        pos = ascii;
        if (pos < bytes.size()) {
            const std::size_t start = pos;
            NextCodePoint(bytes, pos);
            if (pos - start == 1) {
                AppendCodePoint(out, kReplacement);
            } else {
                out.append(bytes.substr(start, pos - start));
            }
        }
    }
}

} // namespace

void clsTextDecoder::Decode(std::string_view bytes, std::string& out) {
    switch (m_Encoding) {
        case TextEncoding::Ansi: {
            m_Pending.append(bytes);
            std::size_t whole = AnsiWholeCharacters(m_Pending);
            if (whole == 0 && m_Pending.size() > kMaxAnsiPending) {
                whole = Cp932WholeCharacters(m_Pending); // no byte below 0x40 in 64 KiB: garbage, most likely
            }
            if (whole > 0) {
                out += AnsiToUtf8(std::string_view(m_Pending).substr(0, whole));
                m_Pending.erase(0, whole);
            }
            break;
        }
        case TextEncoding::Utf8:
            DecodeUtf8(bytes, out);
            break;
        case TextEncoding::Utf16LE:
        case TextEncoding::Utf16BE:
            DecodeUtf16(bytes, out);
            break;
    }
}

void clsTextDecoder::Finish(std::string& out) {
    switch (m_Encoding) {
        case TextEncoding::Ansi:
            out += AnsiToUtf8(m_Pending);
            break;
        case TextEncoding::Utf8:
            AppendSanitised(m_Pending, out);
            break;
        case TextEncoding::Utf16LE:
        case TextEncoding::Utf16BE:
            if (m_HighSurrogate != 0) {
                AppendCodePoint(out, kReplacement);
            }
            if (!m_Pending.empty()) {
                AppendCodePoint(out, kReplacement);
            }
            break;
    }
    m_Pending.clear();
    m_HighSurrogate = 0;
}

void clsTextDecoder::DecodeUtf8(std::string_view bytes, std::string& out) {
    if (!m_Pending.empty()) {
        // Only continuation bytes can complete the held-back sequence; the first other byte ends it as it is.
        const std::size_t need = Utf8SequenceLength(static_cast<unsigned char>(m_Pending[0])) - m_Pending.size();
        std::size_t take = 0;
        while (take < need && take < bytes.size() && (static_cast<unsigned char>(bytes[take]) & 0xC0) == 0x80) {
            ++take;
        }
        m_Pending.append(bytes.substr(0, take));
        bytes.remove_prefix(take);
        if (take < need && bytes.empty()) {
            return; // still incomplete, and this piece is used up
        }
        AppendSanitised(m_Pending, out);
        m_Pending.clear();
    }
    const std::size_t tail = IncompleteUtf8Tail(bytes);
    AppendSanitised(bytes.substr(0, tail), out);
    m_Pending.assign(bytes.substr(tail));
}

void clsTextDecoder::PutUtf16Unit(char32_t unit, std::string& out) {
    if (m_HighSurrogate != 0) {
        if (unit >= 0xDC00 && unit <= 0xDFFF) {
            AppendCodePoint(out, 0x10000 + ((m_HighSurrogate - 0xD800) << 10) + (unit - 0xDC00));
            m_HighSurrogate = 0;
            return;
        }
        AppendCodePoint(out, kReplacement);
        m_HighSurrogate = 0;
    }
    if (unit >= 0xD800 && unit <= 0xDBFF) {
        m_HighSurrogate = unit;
    } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
        AppendCodePoint(out, kReplacement);
    } else {
        AppendCodePoint(out, unit);
    }
}

void clsTextDecoder::DecodeUtf16(std::string_view bytes, std::string& out) {
    const bool bigEndian = m_Encoding == TextEncoding::Utf16BE;
    const auto unitAt = [bigEndian](unsigned char first, unsigned char second) {
        return static_cast<char32_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
    };
    std::size_t pos = 0;
    if (!m_Pending.empty() && !bytes.empty()) {
        PutUtf16Unit(unitAt(static_cast<unsigned char>(m_Pending[0]), static_cast<unsigned char>(bytes[0])), out);
        m_Pending.clear();
        pos = 1;
    }
    for (; pos + 1 < bytes.size(); pos += 2) {
        PutUtf16Unit(unitAt(static_cast<unsigned char>(bytes[pos]), static_cast<unsigned char>(bytes[pos + 1])), out);
    }
    if (pos < bytes.size()) {
        m_Pending.assign(1, bytes[pos]);
    }
}
