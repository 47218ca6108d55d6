// Conversion between the ANSI code page of list and INI files and the UTF-8 text used everywhere inside.
#pragma once

#include <string>
#include <string_view>

/// Converts bytes in the system's ANSI code page (code page 932 outside Windows) to UTF-8.
/// Byte sequences that are not valid in the code page become U+FFFD, one per offending byte;
/// the conversion never fails and never drops the rest of the text.
std::string AnsiToUtf8(std::string_view bytes);

/// Converts UTF-8 text to the ANSI code page. Characters the code page cannot represent become "?",
/// never a look-alike (a path must not turn into another one); invalid UTF-8 bytes become "?" as well.
std::string Utf8ToAnsi(std::string_view text);
