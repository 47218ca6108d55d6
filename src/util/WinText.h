// UTF-8 <-> UTF-16 for the wide-character Windows API; used only by the *_win.cpp files.
#pragma once

#include <string>
#include <string_view>

std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);
