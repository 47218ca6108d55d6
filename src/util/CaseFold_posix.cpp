// Case folding through ICU: the same simple folding Windows applies to file names and collection keys.
#include "util/CaseFold.h"

#include "util/Utf8.h"

#include <unicode/uchar.h>

std::string CaseFold(std::string_view text) {
    std::string folded;
    folded.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t start = pos;
        const char32_t cp = NextCodePoint(text, pos);
        if (pos - start == 1 && cp >= 0x80) {
            // A byte that is not part of a valid character stays as it is, so it can never equal a letter.
            folded += text[start];
            continue;
        }
        AppendCodePoint(folded, static_cast<char32_t>(u_foldCase(static_cast<UChar32>(cp), U_FOLD_CASE_DEFAULT)));
    }
    return folded;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    return CaseFold(a) == CaseFold(b);
}
