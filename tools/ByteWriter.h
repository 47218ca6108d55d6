// Little-endian byte output for the bitmap and icon files.
#pragma once

#include <cstdint>
#include <string>

class ByteWriter {
public:
    void U8(std::uint32_t v) { m_Bytes.push_back(static_cast<char>(v & 0xFFu)); }
    void U16(std::uint32_t v) {
        U8(v);
        U8(v >> 8);
    }
    void U32(std::uint32_t v) {
        U16(v);
        U16(v >> 16);
    }
    void I32(std::int32_t v) { U32(static_cast<std::uint32_t>(v)); }
    void Zeros(std::size_t n) { m_Bytes.append(n, '\0'); }

    std::size_t Size() const { return m_Bytes.size(); }
    const std::string& Bytes() const { return m_Bytes; }

private:
    std::string m_Bytes;
};
