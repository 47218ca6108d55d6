// Case folding with the system's own upper-casing table, the one its file systems and collections use.
#include "util/CaseFold.h"

#include "util/WinText.h"

#include <windows.h>

std::string CaseFold(std::string_view text) {
    const std::wstring wide = Utf8ToWide(text);
    std::wstring folded(wide.size(), L'\0');
    if (!wide.empty()) {
        // One-to-one mapping; without LCMAP_LINGUISTIC_CASING it does not depend on the user's locale.
        LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, wide.data(), static_cast<int>(wide.size()), folded.data(),
                      static_cast<int>(folded.size()), nullptr, nullptr, 0);
    }
    return WideToUtf8(folded);
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    const std::wstring wa = Utf8ToWide(a);
    const std::wstring wb = Utf8ToWide(b);
    return CompareStringOrdinal(wa.data(), static_cast<int>(wa.size()), wb.data(), static_cast<int>(wb.size()), TRUE) ==
           CSTR_EQUAL;
}
