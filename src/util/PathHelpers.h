// Path helpers: pure text operations on paths, under the Windows rules or the POSIX rules.
#pragma once

#include <string>
#include <string_view>

/// Which path grammar a helper follows. Windows: "\" separates, "C:\" and "\\server\" are roots.
/// POSIX: "/" separates and is the only root.
enum class PathRules { Windows, Posix };

/// The rules of the platform the program runs on.
PathRules NativePathRules();

/// The folder separator of `rules`: "\" or "/".
char PathSeparator(PathRules rules = NativePathRules());

/// `path` with one separator appended, unless it is empty or already ends in one.
std::string AddBackslash(std::string_view path, PathRules rules = NativePathRules());

/// The last component of `path`; a path of two characters or less, or without a separator before its
/// last character, comes back unchanged (so "C:\data\sub\" gives "sub\").
std::string GetFileName(std::string_view path, PathRules rules = NativePathRules());

/// The folder holding the last component of `path`: the root keeps its separator ("C:\", "\\server\",
/// "/"), other folders lose it; "" when the path has no folder part.
std::string GetParentFolder(std::string_view path, PathRules rules = NativePathRules());

/// True when `path` names a folder by itself, independent of any current folder: "C:..." or "\\..."
/// under the Windows rules, "/..." under the POSIX rules.
bool IsAbsoluteFolderPath(std::string_view path, PathRules rules = NativePathRules());
