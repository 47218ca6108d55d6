#include "lists/clsDigestListItem.h"

#include "util/AppError.h"

#include <utility>

namespace {

[[noreturn]] void RaiseInvalidDigest() {
    RaiseError(ErrorNumber::InvalidDigest, "プロパティの値が不正です。(Digest)");
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

} // namespace

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

    // CRC digests are held in upper case, MD5 digests in lower case.
    std::string canonical(width - digits.size(), '0');
    for (const char c : digits) {
        if (kind == DigestKind::MD5 && c >= 'A' && c <= 'F') {
            canonical += static_cast<char>(c - 'A' + 'a');
        } else if (kind != DigestKind::MD5 && c >= 'a' && c <= 'f') {
            canonical += static_cast<char>(c - 'a' + 'A');
        } else {
            canonical += c;
        }
    }
    m_Digest = std::move(canonical);
    m_DigestType = kind;
}
