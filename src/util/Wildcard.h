// The wildcard match used for file names and path shapes.
#pragma once

#include <string_view>

/// True when the whole of `text` matches `pattern`, letter case significant.
/// In the pattern `*` is any run of characters (none included), `?` one character, `#` one digit 0-9,
/// `[...]` one character of a set or range (`[a-z]`), `[!...]` one character outside it; everything
/// else stands for itself. An unclosed `[` stands for itself. Works on characters, not bytes.
bool WildcardMatch(std::string_view text, std::string_view pattern);
