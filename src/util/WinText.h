// UTF-8 <-> UTF-16 for the wide-character Windows API; used only by the *_win.cpp files.
#pragma once

#include <string>
#include <string_view>

std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);

/// The wide form of a file path for the wide-character file functions. A path too long for the
/// classic limit of 260 characters is made absolute and given the "\\?\" prefix that lifts it.
std::wstring ToWidePath(std::string_view path);
