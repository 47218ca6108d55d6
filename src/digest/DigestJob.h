// A file to digest in a batch of the digest pool, and the signal that a batch was cancelled.
#pragma once

#include <cstdint>
#include <string>

struct DigestJob {
    std::string path;      // UTF-8
    std::int32_t kind = 0; // DigestKind::CRC16 to DigestKind::SHA512
    // Bytes when last seen (-1: unknown). It decides whether workers share a large file; the file is read to its
    // end whatever it says.
    std::int64_t length = -1;
};

/// Raised by the digest pool in place of a result once its batch has been cancelled.
struct DigestCancelled {};
