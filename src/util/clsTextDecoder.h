// Converting a text to UTF-8 piece by piece, as it is read, in any of the encodings of TextEncoding.h.
#pragma once

#include "util/TextEncoding.h"

#include <string>
#include <string_view>

class clsTextDecoder {
public:
    explicit clsTextDecoder(TextEncoding encoding) : m_Encoding(encoding) {}

    /// Appends to `out` the UTF-8 form of every whole character of `bytes` (after what earlier calls left
    /// over); the bytes of a character cut off at the end wait for the next call. Feeding a text in pieces
    /// gives the same result as feeding it at once. Holds back at most a few bytes, except in the ANSI
    /// code page, where it waits for a byte that cannot be part of a double-byte character.
    void Decode(std::string_view bytes, std::string& out);

    /// Appends what is left over at the end of the text (an incomplete character becomes U+FFFD).
    void Finish(std::string& out);

private:
    void DecodeUtf8(std::string_view bytes, std::string& out);
    void DecodeUtf16(std::string_view bytes, std::string& out);
    void PutUtf16Unit(char32_t unit, std::string& out);

    TextEncoding m_Encoding;
    std::string m_Pending;        // bytes of a character not yet complete (ANSI: of a run not yet converted)
    char32_t m_HighSurrogate = 0; // UTF-16: a high surrogate waiting for its low half
};
