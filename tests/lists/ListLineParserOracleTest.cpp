// The line parser against a regular-expression engine running the two list patterns as written.
#include "lists/ListLineParser.h"

#include <gtest/gtest.h>

#include <random>
#include <regex>
#include <string>
#include <vector>

namespace {

const std::regex kLinePattern(
    R"re(^[ \t]*([^\\\/:,;\*\?"<>\|\x00-\x1F]*[^ \\\/:,;\*\?"<>\|\x00-\x1F])[ \t]+([0-9A-Fa-f]{4}|[0-9A-Fa-f]{8}|[0-9A-Fa-f]{32})(?:[ \t]+([0-9,]+))?[ \t]*$)re",
    std::regex::ECMAScript | std::regex::icase);
const std::regex kSingleDigestPattern(R"re(^\s*([0-9A-Fa-f]{4}|[0-9A-Fa-f]{8}|[0-9A-Fa-f]{32})\s*$)re",
                                      std::regex::ECMAScript | std::regex::icase);

using Pieces = std::vector<std::string>;
const Pieces kBlanks = {" ", " ", "\t"};
const Pieces kHexDigits = {"0", "1", "5", "9", "a", "c", "f", "A", "B", "E"};
const Pieces kSizeChars = {"0", "1", "2", "9", ","};
const Pieces kNameChars = {"a", "b", "x", ".", "_", "1", "F", "あ", "é", "-", "("};
const Pieces kAlphabet = {" ",    " ",    " ",    " ",  "\t", "\t",     "0",      "3", "9",
                          "a",    "d",    "F",    "C",  "1",  "8",      ",",      ",", "\\",
                          "/",    ":",    ";",    "*",  "?",  "\"",     "<",      ">", "|",
                          "g",    "x",    ".",    "Z",  "あ", "\u3000", "\uFFFD", "é", std::string(1, '\0'),
                          "\x01", "\x1F", "\x7F", "\v", "\f", "\r",     "\n"};

class Generator {
public:
    explicit Generator(unsigned seed) : m_Random(seed) {}

    std::size_t Below(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(m_Random); }

    const std::string& Pick(const Pieces& pieces) { return pieces[Below(pieces.size())]; }

    std::string Run(const Pieces& pieces, std::size_t minLength, std::size_t maxLength) {
        std::string run;
        for (std::size_t n = minLength + Below(maxLength - minLength + 1); n > 0; --n) {
            run += Pick(pieces);
        }
        return run;
    }

    std::string Hex(std::size_t length) { return Run(kHexDigits, length, length); }

    // A line shaped like a list line, sometimes with one piece swapped for a random one.
    std::string ListLike() {
        static const std::vector<std::size_t> hexLengths = {3, 4, 4, 5, 7, 8, 8, 9, 31, 32, 32, 33};
        std::string line = Run(kBlanks, 0, 2);
        for (std::size_t words = 1 + Below(3); words > 0; --words) {
            line += Below(4) == 0 ? Hex(4) : Run(kNameChars, 1, 4);
            line += Run(kBlanks, 1, 2);
        }
        line += Hex(hexLengths[Below(hexLengths.size())]);
        if (Below(2) == 0) {
            line += Run(kBlanks, 1, 2) + (Below(3) == 0 ? Hex(4 * (1 + Below(2))) : Run(kSizeChars, 1, 6));
        }
        if (Below(6) == 0) {
            line += Run(kBlanks, 1, 2) + Run(kSizeChars, 1, 4);
        }
        line += Run(kBlanks, 0, 2);
        if (Below(4) == 0) {
            const std::size_t at = Below(line.size());
            line = line.substr(0, at) + Pick(kAlphabet) + line.substr(at + 1);
        }
        return line;
    }

    std::string DigestText() {
        static const Pieces white = {" ", "\t", "\n", "\r", "\f", "\v"};
        static const Pieces any = {" ", "\n", "\v", "a", "F", "0", "9", "g", "あ", "x", "\x85"};
        static const std::vector<std::size_t> hexLengths = {3, 4, 5, 8, 9, 31, 32, 33};
        if (Below(3) == 0) {
            return Run(any, 0, 12);
        }
        std::string text = Run(white, 0, 4) + Hex(hexLengths[Below(hexLengths.size())]) + Run(white, 0, 4);
        if (Below(5) == 0) {
            text.insert(Below(text.size() + 1), Pick(kAlphabet));
        }
        return text;
    }

private:
    std::mt19937 m_Random;
};

TEST(ListLineParserOracle, LinesMatchTheLinePattern) {
    Generator generator(20240611);
    int outcomes[3] = {}; // rejected, without size, with size
    for (int i = 0; i < 40000; ++i) {
        const std::string line = i % 2 == 0 ? generator.ListLike() : generator.Run(kAlphabet, 0, 24);
        SCOPED_TRACE(::testing::PrintToString(line));
        std::smatch match;
        const bool matched = std::regex_search(line, match, kLinePattern);
        const auto fields = ParseListLine(line);
        ASSERT_EQ(fields.has_value(), matched);
        if (matched) {
            ASSERT_EQ(fields->name, match.str(1));
            ASSERT_EQ(fields->digest, match.str(2));
            ASSERT_EQ(fields->hasSize, match[3].matched);
            ASSERT_EQ(fields->size, match.str(3));
        }
        ++outcomes[matched ? 1 + match[3].matched : 0];
    }
    // The generator must reach every outcome often, or the comparison proves little.
    for (const int count : outcomes) {
        EXPECT_GT(count, 1000);
    }
}

TEST(ListLineParserOracle, TextsMatchTheSingleDigestPattern) {
    Generator generator(1984);
    int matches = 0;
    for (int i = 0; i < 12000; ++i) {
        const std::string text = generator.DigestText();
        SCOPED_TRACE(::testing::PrintToString(text));
        std::smatch match;
        const bool matched = std::regex_search(text, match, kSingleDigestPattern);
        const auto digest = ParseSingleDigest(text);
        ASSERT_EQ(digest.has_value(), matched);
        if (matched) {
            ASSERT_EQ(*digest, match.str(1));
            ++matches;
        }
    }
    EXPECT_GT(matches, 1000);
    EXPECT_LT(matches, 6000);
}

} // namespace
