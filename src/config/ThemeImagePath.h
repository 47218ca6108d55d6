// Where a picture named in a theme file lies.
#pragma once

#include "util/PathHelpers.h"

#include <string>
#include <string_view>

/// True when the picture path `value` stands by itself: "\\server..." or "X:\..." under the Windows
/// rules, "/..." under the POSIX rules.
bool IsThemeImagePathAbsolute(std::string_view value, PathRules rules = NativePathRules());

/// The picture path `value` as the program opens it: absolute paths unchanged, "" for an empty value,
/// otherwise the folder of `themeFile` with a separator, followed by `value` (under the POSIX rules with
/// its backslashes read as separators).
std::string ResolveThemeImagePath(std::string_view value, std::string_view themeFile,
                                  PathRules rules = NativePathRules());
