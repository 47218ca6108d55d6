// Case folding with the system's file-system casing tables, the ones its ordinal comparison uses.
#include "util/CaseFold.h"

#include "util/Utf8.h"
#include "util/WinText.h"

#include <windows.h>

namespace {

// `text` mapped one UTF-16 unit to one; without LCMAP_LINGUISTIC_CASING the file system's casing
// applies, whatever the user's locale.
std::wstring MapCase(const std::wstring& text, DWORD flags) {
    std::wstring mapped(text.size(), L'\0');
    const int size = static_cast<int>(text.size());
    if (LCMapStringEx(LOCALE_NAME_INVARIANT, flags, text.data(), size, mapped.data(), size, nullptr, nullptr, 0) !=
        size) {
        return text;
    }
    return mapped;
}

// Two units are equal ignoring case when their upper-case forms are: that is the system's ordinal
// comparison. The folded form is the lower-case partner of the upper-case form, as on the other
// platforms, wherever that partner maps back to it; otherwise the upper-case form itself, so that
// texts the system tells apart never fold alike.
std::string FoldWhole(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    const std::wstring upper = MapCase(Utf8ToWide(text), LCMAP_UPPERCASE);
    std::wstring lower = MapCase(upper, LCMAP_LOWERCASE);
    const std::wstring back = MapCase(lower, LCMAP_UPPERCASE);
    for (std::size_t i = 0; i < lower.size(); ++i) {
        if (back[i] != upper[i]) {
            lower[i] = upper[i];
        }
    }
    return WideToUtf8(lower);
}

} // namespace

std::string CaseFold(std::string_view text) {
    std::string folded;
    folded.reserve(text.size());
    std::size_t start = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t at = pos;
        const char32_t cp = NextCodePoint(text, pos);
        if (pos - at == 1 && cp >= 0x80) {
            // A byte that is not part of a valid character stays as it is, so it can never equal a letter
            // or another stray byte.
            folded += FoldWhole(text.substr(start, at - start));
            folded += text[at];
            start = pos;
        }
    }
    folded += FoldWhole(text.substr(start));
    return folded;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    return CaseFold(a) == CaseFold(b);
}
