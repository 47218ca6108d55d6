// Case-insensitive text comparison the way Windows compares file names and collection keys.
#pragma once

#include <string>
#include <string_view>

/// `text` with Unicode simple case folding applied to every character (full-width Latin included).
/// Two texts are equal ignoring case exactly when their folded forms are equal.
std::string CaseFold(std::string_view text);

/// True when `a` and `b` differ at most in letter case.
bool EqualsIgnoreCase(std::string_view a, std::string_view b);
