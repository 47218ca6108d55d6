// Tells, piece by piece as a file is read, whether its bytes are UTF-8 text with at least one non-ASCII character.
#pragma once

#include <string>
#include <string_view>

class clsUtf8Validator {
public:
    /// Checks the next piece of the text; false once the text so far cannot be well-formed UTF-8, and
    /// for every later piece (reading can stop there).
    bool Feed(std::string_view bytes);

    /// After the last piece: the whole text is well-formed UTF-8 (no overlong form, surrogate, value beyond
    /// U+10FFFF or cut-off character) and holds at least one character beyond ASCII.
    bool IsUtf8Text() const { return m_Valid && m_Pending.empty() && m_NonAscii; }

private:
    bool CheckWhole(std::string_view bytes);

    std::string m_Pending; // the start of a character cut off at the end of the last piece
    bool m_Valid = true;
    bool m_NonAscii = false;
};
