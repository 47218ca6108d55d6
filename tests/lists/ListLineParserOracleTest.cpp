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

class Generator {
public:
    explicit Generator(unsigned seed) : m_Random(seed) {}

    std::size_t Below(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(m_Random); }

    const std::string& Pick(const std::vector<std::string>& pieces) { return pieces[Below(pieces.size())]; }

    std::string Run(const std::vector<std::string>& pieces, std::size_t minLength, std::size_t maxLength) {
        std::string run;
        for (std::size_t n = minLength + Below(maxLength - minLength + 1); n > 0; --n) {
            run += Pick(pieces);
        }
        return run;
    }

    std::string Hex(std::size_t length) { return Run(m_HexDigits, length, length); }

    // A line shaped like a list line, sometimes with one piece swapped for a random one.
    std::string ListLike() {
        static const std::vector<std::string> nameChars = {"a", "b", "x", ".", "_", "1", "F", "あ", "é", "-", "("};
        static const std::vector<std::size_t> hexLengths = {3, 4, 4, 5, 7, 8, 8, 9, 31, 32, 32, 33};
        std::string line = Run(m_Blanks, 0, 2);
        for (std::size_t words = 1 + Below(3); words > 0; --words) {
            line += Below(4) == 0 ? Hex(4) : Run(nameChars, 1, 4);
            line += Run(m_Blanks, 1, 2);
        }
        line += Hex(hexLengths[Below(hexLengths.size())]);
        if (Below(2) == 0) {
            line += Run(m_Blanks, 1, 2) + (Below(3) == 0 ? Hex(4 * (1 + Below(2))) : Run(m_SizeChars, 1, 6));
        }
        if (Below(6) == 0) {
            line += Run(m_Blanks, 1, 2) + Run(m_SizeChars, 1, 4);
        }
        line += Run(m_Blanks, 0, 2);
        if (Below(4) == 0) {
            const std::size_t at = Below(line.size());
            line = line.substr(0, at) + Pick(m_Alphabet) + line.substr(at + 1);
        }
        return line;
    }

    std::string RandomLine() { return Run(m_Alphabet, 0, 24); }

    std::string DigestText() {
        static const std::vector<std::string> white = {" ", "\t", "\n", "\r", "\f", "\v"};
        static const std::vector<std::size_t> hexLengths = {3, 4, 5, 8, 9, 31, 32, 33};
        if (Below(3) == 0) {
            static const std::vector<std::string> any = {" ", "\n", "\v", "a", "F", "0", "9", "g", "あ", "x", "\x85"};
            return Run(any, 0, 12);
        }
        std::string text = Run(white, 0, 4) + Hex(hexLengths[Below(hexLengths.size())]) + Run(white, 0, 4);
        if (Below(5) == 0) {
            text.insert(Below(text.size() + 1), Pick(m_Alphabet));
        }
        return text;
    }

private:
    std::mt19937 m_Random;
    const std::vector<std::string> m_Blanks = {" ", " ", "\t"};
    const std::vector<std::string> m_HexDigits = {"0", "1", "5", "9", "a", "c", "f", "A", "B", "E"};
    const std::vector<std::string> m_SizeChars = {"0", "1", "2", "9", ","};
    const std::vector<std::string> m_Alphabet = {
        " ",    " ",    " ",    " ",  "\t", "\t", "0", "3",  "9",      "a",      "d", "F",
        "C",    "1",    "8",    ",",  ",",  "\\", "/", ":",  ";",      "*",      "?", "\"",
        "<",    ">",    "|",    "g",  "x",  ".",  "Z", "あ", "\u3000", "\uFFFD", "é", std::string(1, '\0'),
        "\x01", "\x1F", "\x7F", "\v", "\f", "\r", "\n"};
};

std::string Printable(const std::string& text) {
    std::string out;
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20) {
            out += '<';
            out += std::to_string(u);
            out += '>';
        } else {
            out += c;
        }
    }
    return out;
}

TEST(ListLineParserOracle, LinesMatchTheLinePattern) {
    Generator generator(20240611);
    int withSize = 0;
    int withoutSize = 0;
    int rejected = 0;
    for (int i = 0; i < 40000; ++i) {
        const std::string line = i % 2 == 0 ? generator.ListLike() : generator.RandomLine();
        std::smatch match;
        const bool matched = std::regex_search(line, match, kLinePattern);
        const auto fields = ParseListLine(line);
        ASSERT_EQ(fields.has_value(), matched) << "[" << Printable(line) << "]";
        if (!matched) {
            ++rejected;
            continue;
        }
        ASSERT_EQ(fields->name, match.str(1)) << "[" << Printable(line) << "]";
        ASSERT_EQ(fields->digest, match.str(2)) << "[" << Printable(line) << "]";
        ASSERT_EQ(fields->hasSize, match[3].matched) << "[" << Printable(line) << "]";
        ASSERT_EQ(fields->size, match.str(3)) << "[" << Printable(line) << "]";
        ++(fields->hasSize ? withSize : withoutSize);
    }
    // The generator must reach every outcome often, or the comparison proves little.
    EXPECT_GT(withSize, 1000);
    EXPECT_GT(withoutSize, 1000);
    EXPECT_GT(rejected, 1000);
}

TEST(ListLineParserOracle, TextsMatchTheSingleDigestPattern) {
    Generator generator(1984);
    int matches = 0;
    for (int i = 0; i < 12000; ++i) {
        const std::string text = generator.DigestText();
        std::smatch match;
        const bool matched = std::regex_search(text, match, kSingleDigestPattern);
        const auto digest = ParseSingleDigest(text);
        ASSERT_EQ(digest.has_value(), matched) << "[" << Printable(text) << "]";
        if (matched) {
            ASSERT_EQ(*digest, match.str(1)) << "[" << Printable(text) << "]";
            ++matches;
        }
    }
    EXPECT_GT(matches, 1000);
    EXPECT_LT(matches, 6000);
}

} // namespace
