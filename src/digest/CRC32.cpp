// ISA-L picks the fastest kernel for the processor (carry-less multiply) at run time.
#include "digest/CRC32.h"

#include <isa-l/crc.h>

std::uint32_t UpdateCRC32(std::uint32_t crc, const unsigned char* data, std::size_t size) {
    return crc32_gzip_refl(crc, data, static_cast<std::uint64_t>(size));
}
