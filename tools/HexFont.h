// A 5 × 7 pixel font holding only the hexadecimal digits, for the digit rows of the pictures.
#pragma once

class HexFont {
public:
    static constexpr int GlyphWidth = 5;
    static constexpr int GlyphHeight = 7;

    /// True when pixel (x, y) of the glyph of `digit` (0-9, A-F, a-f) is ink; (0, 0) is the top left.
    /// Any other character, and any point outside the glyph, is blank.
    static bool Ink(char digit, int x, int y);
};
