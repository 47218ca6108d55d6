// MD5 over bytes in memory, fed in pieces.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

class clsMD5Context {
public:
    using Digest = std::array<std::uint8_t, 16>;

    /// Starts a new MD5 computation. Raises the digest error when the MD5 engine is not available.
    clsMD5Context();
    ~clsMD5Context();
    clsMD5Context(const clsMD5Context&) = delete;
    clsMD5Context& operator=(const clsMD5Context&) = delete;

    /// Adds `size` bytes at `data`; false when the engine fails.
    bool Update(const unsigned char* data, std::size_t size);

    /// The digest of everything added, byte 0 first; false when the engine fails. Ends the computation.
    bool Final(Digest& digest);

private:
    // The engine's own context, opaque here: an OpenSSL EVP_MD_CTX, or a CNG hash handle on Windows.
    void* m_Context = nullptr;
};
