// Reading a whole text file in the ANSI code page.
#pragma once

#include <string>

/// The whole content of the file converted from the ANSI code page to UTF-8; line ends are kept as
/// stored and no byte-order mark is looked for. Raises the read error of FileSystem.h on failure.
std::string ReadTextFile(const std::string& path);
