// zlib's CRC-32, the same polynomial and conventions as the ISA-L one of the other builds.
#include "digest/CRC32.h"

#include <climits>
#include <zlib.h>

std::uint32_t UpdateCRC32(std::uint32_t crc, const unsigned char* data, std::size_t size) {
    while (size > 0) {
        const uInt piece = size > UINT_MAX ? UINT_MAX : static_cast<uInt>(size);
        crc = static_cast<std::uint32_t>(crc32(crc, data, piece));
        data += piece;
        size -= piece;
    }
    return crc;
}
