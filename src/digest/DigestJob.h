// A file to digest in a batch of the digest pool, what became of it, and the signal that a batch was cancelled.
#pragma once

#include "digest/DigestKind.h"

#include <cstdint>
#include <string>

struct DigestJob {
    std::string path;                   // UTF-8
    DigestKind kind = DigestKind::None; // CRC16 to SHA512
    // Bytes when last seen (-1: unknown). It decides whether workers share a large file; the file is read to its
    // end whatever it says.
    std::int64_t length = -1;
};

/// What digesting one file gave: its digest and the bytes it was taken over, or why the file could not be read
/// to its end.
struct DigestResult {
    std::string digest;      // the text form of the file digest functions; "" when it failed
    std::uint64_t bytes = 0; // bytes read from the file
    std::string failure;     // why it failed, as a result line shows it; "" when it did not
    bool Failed() const { return !failure.empty(); }
};

/// Raised by the digest pool in place of a result once its batch has been cancelled.
struct DigestCancelled {};
