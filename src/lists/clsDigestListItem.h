// One entry of a checksum list: listed name, canonical digest, digest kind and expected size.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

/// Digest kinds as `DigetsType` reports them.
namespace DigestKind {
inline constexpr std::int32_t None = 0;
inline constexpr std::int32_t CRC16 = 1;
inline constexpr std::int32_t CRC32 = 2;
inline constexpr std::int32_t MD5 = 3;
} // namespace DigestKind

class clsDigestListItem {
public:
    /// Expected size in bytes; -1 when the list gives none.
    std::int64_t Bytes() const { return m_Bytes; }
    /// Stores the size; any negative value is stored as -1.
    void setBytes(std::int64_t value);

    /// The canonical digest: 4 or 8 upper-case or 32 lower-case hex digits; "" for kind 0.
    std::string Digest() const;
    /// Removes spaces, checks for hex digits only and at most 32 of them, fills with zeros on the left
    /// to 4, 8 or 32 digits by length and sets the kind with it. Raises the invalid-digest error and
    /// changes nothing for any other value.
    void setDigest(std::string_view value);

    /// 0 none, 1 CRC-16, 2 CRC-32, 3 MD5; changes only through setDigest.
    std::int32_t DigetsType() const { return m_DigestType; }

    const std::string& Name() const { return m_Name; }
    void setName(const std::string& value) { m_Name = value; }

private:
    std::string m_Name;
    std::string m_Digest;
    std::int32_t m_DigestType = DigestKind::None;
    std::int64_t m_Bytes = -1;
};
