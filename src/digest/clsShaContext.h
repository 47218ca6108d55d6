// SHA-1 and SHA-2 over bytes in memory, fed in pieces.
#pragma once

#include "digest/ShaAlgorithm.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class clsShaContext {
public:
    /// Starts a new computation. Raises the digest error when the engine lacks the algorithm.
    explicit clsShaContext(ShaAlgorithm algorithm);
    ~clsShaContext();
    clsShaContext(const clsShaContext&) = delete;
    clsShaContext& operator=(const clsShaContext&) = delete;

    /// Adds `size` bytes at `data`; false when the engine fails.
    bool Update(const unsigned char* data, std::size_t size);

    /// The digest of everything added, ShaDigestSize bytes; false when the engine fails. Ends the computation.
    bool Final(std::vector<std::uint8_t>& digest);

private:
    ShaAlgorithm m_Algorithm;
    // The engine's own context, opaque here: an OpenSSL EVP_MD_CTX, or on Windows a CNG hash handle or,
    // for SHA-224, which CNG lacks, our own.
    void* m_Context = nullptr;
};
