// Code page conversion through the system's ANSI code page.
#include "util/CodePage.h"

#include "util/WinText.h"

#include <windows.h>

namespace {

// Converts `bytes` strictly; false when the code page rejects any of them.
bool TryAnsiToWide(std::string_view bytes, std::wstring& wide) {
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
    if (length <= 0) {
        return false;
    }
    const std::size_t start = wide.size();
    wide.resize(start + static_cast<std::size_t>(length));
    MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes.data(), size, wide.data() + start, length);
    return true;
}

} // namespace

std::string AnsiToUtf8(std::string_view bytes) {
    std::wstring wide;
    if (bytes.empty() || TryAnsiToWide(bytes, wide)) {
        return WideToUtf8(wide);
    }
    // Some bytes are invalid: go character by character so that only those become U+FFFD, as on
    // the other platforms, instead of the code page's own substitute.
    wide.clear();
    for (std::size_t pos = 0; pos < bytes.size();) {
        const auto lead = static_cast<BYTE>(bytes[pos]);
        const std::size_t length = IsDBCSLeadByteEx(CP_ACP, lead) && pos + 1 < bytes.size() ? 2 : 1;
        if (TryAnsiToWide(bytes.substr(pos, length), wide)) {
            pos += length;
        } else {
            wide += L'\xFFFD';
            ++pos;
        }
    }
    return WideToUtf8(wide);
}

std::string Utf8ToAnsi(std::string_view text) {
    std::wstring wide = Utf8ToWide(text);
    if (wide.empty()) {
        return {};
    }
    // A character beyond the BMP is two UTF-16 units; it must give one "?", not one per unit.
    std::size_t kept = 0;
    for (std::size_t pos = 0; pos < wide.size(); ++pos) {
        const bool pair = IS_HIGH_SURROGATE(wide[pos]) && pos + 1 < wide.size() && IS_LOW_SURROGATE(wide[pos + 1]);
        wide[kept++] = pair ? L'?' : wide[pos];
        pos += pair ? 1 : 0;
    }
    wide.resize(kept);
    // No best fit: it turns characters the code page lacks into look-alikes, even into a path separator
    // (the yen sign becomes a backslash in code page 932); "?" is what the other platforms give.
    const int size = static_cast<int>(wide.size());
    const int length =
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, bytes.data(), length, nullptr, nullptr);
    return bytes;
}
