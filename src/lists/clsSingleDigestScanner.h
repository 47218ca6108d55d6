// Watches the lines of a list go by and tells at the end whether the whole text was one bare digest.
#pragma once

#include "util/clsTextLineReader.h"

#include <optional>
#include <string>
#include <string_view>

class clsSingleDigestScanner {
public:
    /// Takes the next line of the text.
    void Feed(const TextLine& line);

    /// After the last line: the one run of characters the text held, with nothing but white space
    /// (space, tab, line ends, form feed, vertical tab) around it; nothing when it held none or more than one.
    /// Runs longer than any digest are not kept.
    std::optional<std::string_view> Token() const;

private:
    std::string m_Token;
    bool m_Seen = false;    // a run was found
    bool m_TooMuch = false; // a second run, or one longer than any digest
};
