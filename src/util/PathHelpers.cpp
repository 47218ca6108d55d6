#include "util/PathHelpers.h"

#include "util/Utf8.h"
#include "util/Wildcard.h"

namespace {

// Byte position (0-based) of the last separator before the path's last character, or npos.
std::size_t LastSeparatorBeforeLastChar(std::string_view path, char separator) {
    const std::size_t searchEnd = LastCodePointOffset(path);
    if (searchEnd == 0) {
        return std::string_view::npos;
    }
    return path.substr(0, searchEnd).rfind(separator);
}

// Byte position (0-based) of the separator that ends the path's root.
std::size_t RootSeparator(std::string_view path, PathRules rules) {
    if (rules == PathRules::Windows) {
        if (WildcardMatch(path, "?:\\*")) {
            std::size_t afterDrive = 0;
            NextCodePoint(path, afterDrive); // the drive letter may be any one character
            return afterDrive + 1;           // the "\" after the colon
        }
        if (WildcardMatch(path, "\\\\*\\*")) {
            return path.find('\\', 2); // the "\" after the server name
        }
    }
    return 0;
}

} // namespace

char PathSeparator(PathRules rules) {
    return rules == PathRules::Windows ? '\\' : '/';
}

std::string AddBackslash(std::string_view path, PathRules rules) {
    std::string result(path);
    if (!result.empty() && result.back() != PathSeparator(rules)) {
        result += PathSeparator(rules);
    }
    return result;
}

std::string GetFileName(std::string_view path, PathRules rules) {
    if (CountCodePoints(path) <= 2) {
        return std::string(path);
    }
    const std::size_t separator = LastSeparatorBeforeLastChar(path, PathSeparator(rules));
    if (separator == std::string_view::npos) {
        return std::string(path);
    }
    return std::string(path.substr(separator + 1));
}

std::string GetParentFolder(std::string_view path, PathRules rules) {
    if (CountCodePoints(path) < 2) {
        return {};
    }
    const std::size_t root = RootSeparator(path, rules);
    const std::size_t last = LastSeparatorBeforeLastChar(path, PathSeparator(rules));
    if (last == std::string_view::npos || last < root) {
        return {};
    }
    if (last == root) {
        return std::string(path.substr(0, last + 1));
    }
    return std::string(path.substr(0, last));
}

bool IsAbsoluteFolderPath(std::string_view path, PathRules rules) {
    if (rules == PathRules::Windows) {
        return WildcardMatch(path, "\\\\*") || WildcardMatch(path, "[A-Za-z]:*");
    }
    return !path.empty() && path.front() == '/';
}
