// Rows of hexadecimal digits laid across a picture: the entries of the CRC-32 table, eight digits
// and a space each, so the texture is a real checksum table rather than noise.
#pragma once

#include <string>
#include <vector>

class DigitRows {
public:
    /// `rows` rows whose glyph tops start at `top` and follow every `pitch` pixels; row r starts
    /// `r * shift` pixels left of 0 so that the columns do not line up.
    DigitRows(int top, int pitch, int rows, int shift, int width);

    /// The row index (0 = top row) whose ink covers pixel (x, y), or -1 when the pixel is blank.
    int InkRow(int x, int y) const;

    int Rows() const { return static_cast<int>(m_Lines.size()); }

    /// The text of row `row`.
    const std::string& Line(int row) const { return m_Lines[static_cast<std::size_t>(row)]; }

private:
    int m_Top = 0;
    int m_Pitch = 1;
    int m_Shift = 0;
    std::vector<std::string> m_Lines;
};
