#include "util/Wildcard.h"

#include "util/Utf8.h"

#include <utility>
#include <vector>

namespace {

struct Token {
    enum class Kind { Literal, AnyOne, Digit, Star, Set } kind = Kind::Literal;
    char32_t literal = 0;
    bool negated = false;
    std::vector<std::pair<char32_t, char32_t>> ranges;

    bool Matches(char32_t c) const {
        switch (kind) {
            case Kind::Literal:
                return c == literal;
            case Kind::AnyOne:
                return true;
            case Kind::Digit:
                return c >= U'0' && c <= U'9';
            case Kind::Set: {
                bool inSet = false;
                for (const auto& [low, high] : ranges) {
                    inSet = inSet || (c >= low && c <= high);
                }
                return inSet != negated;
            }
            case Kind::Star:
                break;
        }
        return false;
    }
};

// Parses "[...]" starting after the '['; returns false when the bracket is never closed.
bool ParseSet(const std::vector<char32_t>& pattern, std::size_t& i, Token& token) {
    std::size_t j = i;
    token.kind = Token::Kind::Set;
    if (j < pattern.size() && pattern[j] == U'!') {
        token.negated = true;
        ++j;
    }
    std::vector<char32_t> members;
    while (j < pattern.size() && pattern[j] != U']') {
        members.push_back(pattern[j++]);
    }
    if (j >= pattern.size()) {
        return false;
    }
    for (std::size_t k = 0; k < members.size(); ++k) {
        if (k + 2 < members.size() && members[k + 1] == U'-') {
            token.ranges.emplace_back(members[k], members[k + 2]);
            k += 2;
        } else {
            token.ranges.emplace_back(members[k], members[k]);
        }
    }
    i = j + 1;
    return true;
}

std::vector<Token> Tokenize(std::string_view patternText) {
    std::vector<char32_t> pattern;
    for (std::size_t pos = 0; pos < patternText.size();) {
        pattern.push_back(NextCodePoint(patternText, pos));
    }
    std::vector<Token> tokens;
    for (std::size_t i = 0; i < pattern.size();) {
        Token token;
        const char32_t c = pattern[i++];
        if (c == U'*') {
            if (tokens.empty() || tokens.back().kind != Token::Kind::Star) {
                token.kind = Token::Kind::Star;
                tokens.push_back(token);
            }
            continue;
        }
        if (c == U'?') {
            token.kind = Token::Kind::AnyOne;
        } else if (c == U'#') {
            token.kind = Token::Kind::Digit;
        } else if (c == U'[') {
            std::size_t j = i;
            if (ParseSet(pattern, j, token)) {
                i = j;
                if (token.ranges.empty() && !token.negated) {
                    continue; // "[]" stands for no character at all
                }
            } else {
                token = Token{};
                token.literal = c;
            }
        } else {
            token.literal = c;
        }
        tokens.push_back(std::move(token));
    }
    return tokens;
}

} // namespace

bool WildcardMatch(std::string_view textUtf8, std::string_view patternText) {
    const std::vector<Token> tokens = Tokenize(patternText);
    std::vector<char32_t> text;
    for (std::size_t pos = 0; pos < textUtf8.size();) {
        text.push_back(NextCodePoint(textUtf8, pos));
    }

    // Classic single-backtrack glob matching: on a mismatch, let the last star swallow one more character.
    std::size_t t = 0;
    std::size_t p = 0;
    std::size_t starToken = tokens.size();
    std::size_t starText = 0;
    while (t < text.size()) {
        if (p < tokens.size() && tokens[p].kind == Token::Kind::Star) {
            starToken = p++;
            starText = t;
        } else if (p < tokens.size() && tokens[p].Matches(text[t])) {
            ++p;
            ++t;
        } else if (starToken < tokens.size()) {
            p = starToken + 1;
            t = ++starText;
        } else {
            return false;
        }
    }
    while (p < tokens.size() && tokens[p].kind == Token::Kind::Star) {
        ++p;
    }
    return p == tokens.size();
}
