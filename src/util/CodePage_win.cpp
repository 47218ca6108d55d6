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
    const std::wstring wide = Utf8ToWide(text);
    if (wide.empty()) {
        return {};
    }
    const int size = static_cast<int>(wide.size());
    const int length = WideCharToMultiByte(CP_ACP, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), size, bytes.data(), length, nullptr, nullptr);
    return bytes;
}
