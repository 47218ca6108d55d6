// Slicing-by-8: eight table look-ups per 8 bytes instead of one per byte. No packaged library
// offers this CRC at speed, so it is written here; the tables are built by the compiler.
#include "digest/CRC16.h"

#include <array>

namespace {

using Table = std::array<std::uint16_t, 256>;

// kTables[k][b] is the CRC of byte b followed by k zero bytes.
constexpr std::array<Table, 8> MakeTables() {
    std::array<Table, 8> tables{};
    for (unsigned byte = 0; byte < 256; ++byte) {
        auto crc = static_cast<std::uint16_t>(byte);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1U) != 0 ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001U)
                                  : static_cast<std::uint16_t>(crc >> 1);
        }
        tables[0][byte] = crc;
    }
    for (std::size_t k = 1; k < tables.size(); ++k) {
        for (unsigned byte = 0; byte < 256; ++byte) {
            const std::uint16_t prev = tables[k - 1][byte];
            tables[k][byte] = static_cast<std::uint16_t>((prev >> 8) ^ tables[0][prev & 0xFFU]);
        }
    }
    return tables;
}

constexpr std::array<Table, 8> kTables = MakeTables();

static_assert(kTables[0][1] == 0xC0C1, "CRC-16/ARC table");

} // namespace

std::uint16_t UpdateCRC16(std::uint16_t crc, const unsigned char* data, std::size_t size) {
    unsigned c = crc;
    while (size >= 8) {
        const unsigned b0 = (c ^ data[0]) & 0xFFU;
        const unsigned b1 = ((c >> 8) ^ data[1]) & 0xFFU;
        c = kTables[7][b0] ^ kTables[6][b1] ^ kTables[5][data[2]] ^ kTables[4][data[3]] ^ kTables[3][data[4]] ^
            kTables[2][data[5]] ^ kTables[1][data[6]] ^ kTables[0][data[7]];
        data += 8;
        size -= 8;
    }
    while (size > 0) {
        c = (c >> 8) ^ kTables[0][(c ^ *data) & 0xFFU];
        ++data;
        --size;
    }
    return static_cast<std::uint16_t>(c);
}
