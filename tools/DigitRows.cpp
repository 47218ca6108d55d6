#include "DigitRows.h"

#include "HexFont.h"

#include <array>
#include <cstdint>

namespace {

constexpr int Advance = HexFont::GlyphWidth + 1;

std::array<std::uint32_t, 256> Crc32Table() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int k = 0; k < 8; ++k) {
            c = (c & 1u) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        }
        table[i] = c;
    }
    return table;
}

std::string Hex8(std::uint32_t value) {
    static const char Digits[] = "0123456789ABCDEF";
    std::string text(8, '0');
    for (int i = 7; i >= 0; --i) {
        text[static_cast<std::size_t>(i)] = Digits[value & 0xFu];
        value >>= 4;
    }
    return text;
}

} // namespace

DigitRows::DigitRows(int top, int pitch, int rows, int shift, int width) : m_Top(top), m_Pitch(pitch), m_Shift(shift) {
    const auto table = Crc32Table();
    std::size_t next = 1; // entry 0 is all zeros
    for (int r = 0; r < rows; ++r) {
        std::string line;
        const int needed = width + r * shift + Advance;
        while (static_cast<int>(line.size()) * Advance < needed) {
            line += Hex8(table[next % table.size()]);
            line += ' ';
            ++next;
        }
        m_Lines.push_back(line);
    }
}

int DigitRows::InkRow(int x, int y) const {
    if (y < m_Top) {
        return -1;
    }
    const int row = (y - m_Top) / m_Pitch;
    const int gy = (y - m_Top) % m_Pitch;
    if (row >= Rows() || gy >= HexFont::GlyphHeight) {
        return -1;
    }
    const int sx = x + row * m_Shift;
    if (sx < 0) {
        return -1;
    }
    const std::size_t column = static_cast<std::size_t>(sx / Advance);
    const std::string& line = m_Lines[static_cast<std::size_t>(row)];
    if (column >= line.size()) {
        return -1;
    }
    return HexFont::Ink(line[column], sx % Advance, gy) ? row : -1;
}
