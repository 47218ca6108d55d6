#include "config/ThemeImagePath.h"

#include "util/Wildcard.h"

bool IsThemeImagePathAbsolute(std::string_view value, PathRules rules) {
    if (rules == PathRules::Windows) {
        return WildcardMatch(value, "\\\\*") || WildcardMatch(value, "[A-Za-z]:\\*");
    }
    return !value.empty() && value.front() == '/';
}

std::string ResolveThemeImagePath(std::string_view value, std::string_view themeFile, PathRules rules) {
    if (IsThemeImagePathAbsolute(value, rules)) {
        return std::string(value);
    }
    if (value.empty()) {
        return {};
    }
    std::string relative(value);
    if (rules == PathRules::Posix) {
        // Theme files are mostly written on Windows: "blue\drop.bmp" means the folder blue.
        for (char& c : relative) {
            c = c == '\\' ? '/' : c;
        }
    }
    return AddBackslash(GetParentFolder(themeFile, rules), rules) + relative;
}
