// SHA-224 of our own (FIPS 180-4): the Windows CNG provider, which computes the other SHA-2 widths, has none.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

class clsSha224 {
public:
    using Digest = std::array<std::uint8_t, 28>;

    /// Adds `size` bytes at `data`.
    void Update(const unsigned char* data, std::size_t size);

    /// The digest of everything added. Ends the computation.
    Digest Final();

private:
    void Compress(const unsigned char* block);

    // SHA-224's initial hash value; the rest of the computation is SHA-256's.
    std::uint32_t m_State[8] = {0xc1059ed8, 0x367cd507, 0x3070dd17, 0xf70e5939,
                                0xffc00b31, 0x68581511, 0x64f98fa7, 0xbefa4fa4};
    unsigned char m_Block[64] = {};
    std::size_t m_Filled = 0;   // bytes waiting in m_Block
    std::uint64_t m_Length = 0; // message length in bytes
};
