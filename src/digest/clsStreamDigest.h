// One digest of any kind a list can name, over one stream of bytes fed in pieces, ending in the text form
// lists use: what the file digest functions compute, for callers that read the file themselves.
#pragma once

#include "digest/DigestKind.h"

#include "digest/clsMD5Context.h"
#include "digest/clsShaContext.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

/// The longest digest text: the 128 hex digits of SHA-512.
inline constexpr std::size_t kMaxDigestText = 128;

class clsStreamDigest {
public:
    /// True for the kinds a file can be digested with, DigestKind::CRC16 to DigestKind::SHA512.
    static bool IsKind(DigestKind kind);

    /// The description of the digest error of `kind`, as the file digest functions raise it.
    static std::string FailedMessage(DigestKind kind);

    /// Starts a new digest of `kind` (one of IsKind), dropping any unfinished one. Raises the kind's digest
    /// error when the engine lacks the algorithm.
    void Start(DigestKind kind);

    /// Adds `size` bytes at `data`; false when the engine fails.
    bool Update(const unsigned char* data, std::size_t size);

    /// Ends the digest and writes its text, without a terminator, to `text` (room for kMaxDigestText
    /// characters): upper-case hex for the CRCs, lower-case for the others. Returns the text's length, or 0
    /// when the engine fails.
    std::size_t Finish(char* text);

private:
    DigestKind m_Kind = DigestKind::None;
    std::uint32_t m_CRC = 0;
    std::optional<clsMD5Context> m_MD5;
    std::optional<clsShaContext> m_SHA;
    std::vector<std::uint8_t> m_ShaDigest; // kept from file to file
};
