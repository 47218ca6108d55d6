// One entry of a checksum list: listed name, canonical digest, digest kind and expected size.
#pragma once

#include "digest/DigestKind.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

class clsDigestListItem {
public:
    /// Expected size in bytes; -1 when the list gives none.
    std::int64_t Bytes() const { return m_Bytes; }
    /// Stores the size; any negative value is stored as -1.
    void setBytes(std::int64_t value);

    /// The canonical digest: 4 or 8 upper-case or 32 to 128 lower-case hex digits; "" for kind 0.
    std::string Digest() const;
    /// Removes spaces, checks for hex digits only and at most 32 of them, fills with zeros on the left
    /// to 4, 8 or 32 digits by length and sets the kind with it. Raises the invalid-digest error and
    /// changes nothing for any other value.
    void setDigest(std::string_view value);

    /// Sets a digest of exactly the width of `kind` (DigestKindWidth), stored in the kind's letter case: upper
    /// for CRC-16 and CRC-32, lower for the others. Raises the invalid-digest error and changes nothing for a
    /// value of any other length or with a character that is not a hex digit.
    void setDigestOfKind(std::string_view hexDigits, DigestKind kind);

    /// True when the entry holds the digest `hexDigits` (exactly the width of `kind`, either case) of `kind`.
    bool HasDigest(std::string_view hexDigits, DigestKind kind) const;

    /// 0 none, 1 CRC-16, 2 CRC-32, 3 MD5, 4 SHA-1, 5 SHA-224, 6 SHA-256, 7 SHA-384, 8 SHA-512; changes only
    /// through setDigest and setDigestOfKind.
    DigestKind DigetsType() const { return m_DigestType; }

    const std::string& Name() const { return m_Name; }
    void setName(const std::string& value) { m_Name = value; }

private:
    /// Stores `digits` (hex digits only, at most the kind's width) filled to the kind's width.
    void StoreDigest(std::string_view digits, DigestKind kind);

    // A list may hold millions of entries: the digest is kept as its bytes (the text is made when asked
    // for), in the entry itself up to MD5's 16 bytes, beside it for the longer SHA digests.
    std::string m_Name;
    std::unique_ptr<std::uint8_t[]> m_LongDigest;
    std::int64_t m_Bytes = -1;
    DigestKind m_DigestType = DigestKind::None;
    std::uint8_t m_ShortDigest[16] = {};
};
