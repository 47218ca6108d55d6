#include "lists/clsDigestListItem.h"

#include "util/AppError.h"

#include <cstring>
#include <iterator>
#include <utility>

namespace {

[[noreturn]] void RaiseInvalidDigest() {
    RaiseError(ErrorNumber::InvalidDigest, "プロパティの値が不正です。(Digest)");
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

int HexValue(char c) {
    return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
}

// The longest digest, in bytes: SHA-512.
constexpr std::size_t kMaxDigestBytes = 64;

// The bytes of `digits` (hex digits only, at most `width`) filled with zeros on the left to `width` digits, an
// even number, into `bytes`.
void DigestBytes(std::string_view digits, std::size_t width, std::uint8_t* bytes) {
    std::memset(bytes, 0, width / 2);
    const std::size_t fill = width - digits.size();
    for (std::size_t i = 0; i < digits.size(); ++i) {
        const std::size_t at = fill + i;
        bytes[at / 2] = static_cast<std::uint8_t>(bytes[at / 2] | (HexValue(digits[i]) << (at % 2 == 0 ? 4 : 0)));
    }
}

} // namespace

void clsDigestListItem::setBytes(std::int64_t value) {
    m_Bytes = value < 0 ? -1 : value;
}

std::string clsDigestListItem::Digest() const {
    // CRC digests are written in upper case, all others in lower case.
    static constexpr char kUpper[] = "0123456789ABCDEF";
    static constexpr char kLower[] = "0123456789abcdef";
    const char* digits = m_DigestType == DigestKind::CRC16 || m_DigestType == DigestKind::CRC32 ? kUpper : kLower;
    std::string text;
    const std::size_t size = DigestKindWidth(m_DigestType) / 2;
    const std::uint8_t* bytes = size > sizeof m_ShortDigest ? m_LongDigest.get() : m_ShortDigest;
    text.reserve(size * 2);
    for (std::size_t i = 0; i < size; ++i) {
        const std::uint8_t value = bytes[i];
        text += digits[value >> 4];
        text += digits[value & 0xF];
    }
    return text;
}

void clsDigestListItem::setDigest(std::string_view value) {
    // More than 32 digits is the same error as a bad character, so the digits fit a buffer of that size.
    char digits[32];
    std::size_t count = 0;
    for (const char c : value) {
        if (c == ' ') {
            continue;
        }
        if (!IsHexDigit(c) || count == sizeof digits) {
            RaiseInvalidDigest();
        }
        digits[count++] = c;
    }

    DigestKind kind = DigestKind::None;
    if (count == 0) {
        kind = DigestKind::None;
    } else if (count <= 4) {
        kind = DigestKind::CRC16;
    } else if (count <= 8) {
        kind = DigestKind::CRC32;
    } else {
        kind = DigestKind::MD5;
    }
    StoreDigest(std::string_view(digits, count), kind);
}

void clsDigestListItem::setDigestOfKind(std::string_view hexDigits, DigestKind kind) {
    const std::size_t width = DigestKindWidth(kind);
    if (width == 0 || hexDigits.size() != width) {
        RaiseInvalidDigest();
    }
    for (const char c : hexDigits) {
        if (!IsHexDigit(c)) {
            RaiseInvalidDigest();
        }
    }
    StoreDigest(hexDigits, kind);
}

void clsDigestListItem::StoreDigest(std::string_view digits, DigestKind kind) {
    const std::size_t width = DigestKindWidth(kind);
    std::uint8_t bytes[kMaxDigestBytes];
    DigestBytes(digits, width, bytes);
    if (width / 2 > sizeof m_ShortDigest) {
        m_LongDigest = std::make_unique<std::uint8_t[]>(width / 2);
        std::memcpy(m_LongDigest.get(), bytes, width / 2);
    } else {
        m_LongDigest.reset();
        std::memcpy(m_ShortDigest, bytes, width / 2);
    }
    m_DigestType = kind;
}

bool clsDigestListItem::HasDigest(std::string_view hexDigits, DigestKind kind) const {
    const std::size_t width = DigestKindWidth(kind);
    if (kind != m_DigestType || width == 0 || hexDigits.size() != width) {
        return false;
    }
    std::uint8_t bytes[kMaxDigestBytes];
    DigestBytes(hexDigits, width, bytes);
    const std::uint8_t* mine = width / 2 > sizeof m_ShortDigest ? m_LongDigest.get() : m_ShortDigest;
    return std::memcmp(mine, bytes, width / 2) == 0;
}
