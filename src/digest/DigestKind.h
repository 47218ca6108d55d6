// The kinds of digest a list can name, numbered as `DigetsType` reports them: the three of the original lists
// first (0 for none), then SHA-1 and SHA-2.
#pragma once

#include <cstddef>
#include <cstdint>

enum class DigestKind : std::int32_t {
    None = 0,
    CRC16 = 1,
    CRC32 = 2,
    MD5 = 3,
    SHA1 = 4,
    SHA224 = 5,
    SHA256 = 6,
    SHA384 = 7,
    SHA512 = 8,
};

/// Hex digits of a digest of `kind`: 4, 8, 32, 40, 56, 64, 96 or 128; 0 for None and unknown kinds.
std::size_t DigestKindWidth(DigestKind kind);

/// The kind whose digests have `digits` hex digits; DigestKind::None for any other count.
DigestKind DigestKindOfWidth(std::size_t digits);

/// The kind numbered `number`, as `DigetsType` reports it; DigestKind::None for a number of no kind.
DigestKind DigestKindOf(std::int32_t number);

/// True for the kinds a file can be digested with, CRC16 to SHA512.
inline bool IsFileDigestKind(DigestKind kind) {
    return kind >= DigestKind::CRC16 && kind <= DigestKind::SHA512;
}
