#include "util/WinText.h"

#include <windows.h>

std::wstring Utf8ToWide(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), length);
    return wide;
}

std::string WideToUtf8(std::wstring_view text) {
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, utf8.data(), length, nullptr, nullptr);
    return utf8;
}

std::wstring ToWidePath(std::string_view path) {
    const std::wstring wide = Utf8ToWide(path);
    // Folders are limited 12 characters earlier than files (room for an 8.3 name).
    constexpr std::size_t kClassicLimit = MAX_PATH - 12;
    if (wide.size() < kClassicLimit || wide.starts_with(L"\\\\?\\")) {
        return wide;
    }
    // The prefixed form is taken literally: no "/", ".", ".." or relative parts, so resolve them first.
    const DWORD length = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (length == 0) {
        return wide;
    }
    std::wstring full(length, L'\0');
    const DWORD written = GetFullPathNameW(wide.c_str(), length, full.data(), nullptr);
    if (written == 0 || written >= length) {
        return wide;
    }
    full.resize(written);
    if (full.starts_with(L"\\\\.\\")) {
        return full; // a device path stays as it is
    }
    if (full.starts_with(L"\\\\")) {
        return L"\\\\?\\UNC\\" + full.substr(2); // a network path: \\server\share\...
    }
    return L"\\\\?\\" + full;
}
