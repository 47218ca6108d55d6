#include "lists/ListLineParser.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

bool IsSizeChar(char c) {
    return (c >= '0' && c <= '9') || c == ',';
}

// Bytes of multibyte characters (0x80 and up) are allowed like any other name character, so working on
// bytes gives the same splits as working on characters: every delimiter is ASCII. A table, as every byte
// of every line is looked up.
struct NameChars {
    bool allowed[256] = {};
    constexpr NameChars() {
        for (int c = 0x20; c < 256; ++c) {
            allowed[c] = true;
        }
        for (const char c : {'\\', '/', ':', ',', ';', '*', '?', '"', '<', '>', '|'}) {
            allowed[static_cast<unsigned char>(c)] = false;
        }
    }
};
constexpr NameChars kNameChars;

bool IsNameChar(char c) {
    return kNameChars.allowed[static_cast<unsigned char>(c)];
}

bool IsDigest(std::string_view token) {
    if (token.size() != 4 && token.size() != 8 && token.size() != 32) {
        return false;
    }
    for (const char c : token) {
        if (!IsHexDigit(c)) {
            return false;
        }
    }
    return true;
}

bool IsSize(std::string_view token) {
    for (const char c : token) {
        if (!IsSizeChar(c)) {
            return false;
        }
    }
    return !token.empty();
}

// A token of `text` (a run without blanks) that ends at `end`, and the blank run before it.
struct Token {
    std::size_t start = 0;      // first byte of the token
    std::size_t blankStart = 0; // first byte of the blank run before it; == start when there is none
};

Token TokenEndingAt(std::string_view text, std::size_t end) {
    Token token;
    token.start = end;
    while (token.start > 0 && !IsBlank(text[token.start - 1])) {
        --token.start;
    }
    token.blankStart = token.start;
    while (token.blankStart > 0 && IsBlank(text[token.blankStart - 1])) {
        --token.blankStart;
    }
    return token;
}

// The line split two ways: with the last token as the digest (no size), and with the last token as the size
// and the one before it as the digest; either is empty when it does not fit.
struct Splits {
    std::optional<ListLineFields> withoutSize;
    std::optional<ListLineFields> withSize;
};

Splits SplitBothWays(std::string_view line) {
    Splits splits;
    // Leading and trailing blanks belong to neither name, digest nor size.
    std::size_t first = 0;
    while (first < line.size() && IsBlank(line[first])) {
        ++first;
    }
    std::size_t last = line.size();
    while (last > first && IsBlank(line[last - 1])) {
        --last;
    }
    const std::string_view text = line.substr(0, last);
    if (first == last) {
        return splits;
    }

    // The name runs from the first non-blank to the blanks before the digest; it is valid when no
    // character up to there is excluded (its last character is never a blank by construction).
    std::size_t firstBadNameChar = first;
    while (firstBadNameChar < last && IsNameChar(text[firstBadNameChar])) {
        ++firstBadNameChar;
    }
    const auto nameFits = [&](const Token& digestToken) {
        return digestToken.blankStart > first && digestToken.blankStart < digestToken.start &&
               firstBadNameChar >= digestToken.blankStart;
    };

    const Token lastToken = TokenEndingAt(text, last);
    const std::string_view lastText = text.substr(lastToken.start);
    if (IsDigest(lastText) && nameFits(lastToken)) {
        splits.withoutSize = ListLineFields{text.substr(first, lastToken.blankStart - first), lastText, {}, false};
    }
    if (!IsSize(lastText) || lastToken.blankStart == lastToken.start || lastToken.blankStart <= first) {
        return splits;
    }
    const Token digestToken = TokenEndingAt(text, lastToken.blankStart);
    const std::string_view digestText = text.substr(digestToken.start, lastToken.blankStart - digestToken.start);
    if (IsDigest(digestText) && nameFits(digestToken)) {
        splits.withSize =
            ListLineFields{text.substr(first, digestToken.blankStart - first), digestText, lastText, true};
    }
    return splits;
}

} // namespace

std::optional<ListLineFields> ParseListLine(std::string_view line) {
    return SplitListLine(line).greedy;
}

std::optional<ListLineFields> ParseListLineWithSize(std::string_view line) {
    return SplitBothWays(line).withSize;
}

ListLineSplits SplitListLine(std::string_view line) {
    // The longest name wins: the last token as the digest with no size after it, if that fits.
    Splits splits = SplitBothWays(line);
    return {splits.withoutSize ? splits.withoutSize : splits.withSize, splits.withSize};
}

std::optional<std::string_view> ParseSingleDigest(std::string_view text) {
    std::size_t first = 0;
    while (first < text.size() && IsWhiteSpace(text[first])) {
        ++first;
    }
    std::size_t last = text.size();
    while (last > first && IsWhiteSpace(text[last - 1])) {
        --last;
    }
    const std::string_view digest = text.substr(first, last - first);
    if (!IsDigest(digest)) {
        return std::nullopt;
    }
    return digest;
}
