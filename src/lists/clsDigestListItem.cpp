#include "lists/clsDigestListItem.h"

#include "util/AppError.h"

#include <iterator>
#include <utility>

namespace {

[[noreturn]] void RaiseInvalidDigest() {
    RaiseError(ErrorNumber::InvalidDigest, "プロパティの値が不正です。(Digest)");
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// CRC digests are held in upper case, all others in lower case.
std::string InKindCase(std::string_view digits, std::int32_t kind, std::size_t width) {
    const bool upper = kind == DigestKind::CRC16 || kind == DigestKind::CRC32;
    std::string canonical(width - digits.size(), '0');
    for (const char c : digits) {
        if (!upper && c >= 'A' && c <= 'F') {
            canonical += static_cast<char>(c - 'A' + 'a');
        } else if (upper && c >= 'a' && c <= 'f') {
            canonical += static_cast<char>(c - 'a' + 'A');
        } else {
            canonical += c;
        }
    }
    return canonical;
}

constexpr std::size_t kWidths[] = {0, 4, 8, 32, 40, 56, 64, 96, 128};

} // namespace

std::size_t DigestKindWidth(std::int32_t kind) {
    return kind >= 0 && kind < static_cast<std::int32_t>(std::size(kWidths)) ? kWidths[kind] : 0;
}

std::int32_t DigestKindOfWidth(std::size_t digits) {
    for (std::int32_t kind = 1; kind < static_cast<std::int32_t>(std::size(kWidths)); ++kind) {
        if (kWidths[kind] == digits) {
            return kind;
        }
    }
    return DigestKind::None;
}

void clsDigestListItem::setBytes(std::int64_t value) {
    m_Bytes = value < 0 ? -1 : value;
}

std::string clsDigestListItem::Digest() const {
    return m_DigestType == DigestKind::None ? std::string() : m_Digest;
}

void clsDigestListItem::setDigest(std::string_view value) {
    std::string digits;
    digits.reserve(value.size());
    for (const char c : value) {
        if (c == ' ') {
            continue;
        }
        if (!IsHexDigit(c)) {
            RaiseInvalidDigest();
        }
        digits += c;
    }

    std::int32_t kind = DigestKind::None;
    std::size_t width = 0;
    if (digits.empty()) {
        kind = DigestKind::None;
    } else if (digits.size() <= 4) {
        kind = DigestKind::CRC16;
        width = 4;
    } else if (digits.size() <= 8) {
        kind = DigestKind::CRC32;
        width = 8;
    } else if (digits.size() <= 32) {
        kind = DigestKind::MD5;
        width = 32;
    } else {
        RaiseInvalidDigest();
    }

    m_Digest = InKindCase(digits, kind, width);
    m_DigestType = kind;
}

void clsDigestListItem::setDigestOfKind(std::string_view hexDigits, std::int32_t kind) {
    const std::size_t width = DigestKindWidth(kind);
    if (width == 0 || hexDigits.size() != width) {
        RaiseInvalidDigest();
    }
    for (const char c : hexDigits) {
        if (!IsHexDigit(c)) {
            RaiseInvalidDigest();
        }
    }
    m_Digest = InKindCase(hexDigits, kind, width);
    m_DigestType = kind;
}
