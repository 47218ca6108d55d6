// Character-level text handling: UTF-8 walking, case folding, the ANSI code page and wildcards.
#include "TestPlatform.h"
#include "util/CaseFold.h"
#include "util/CodePage.h"
#include "util/Utf8.h"
#include "util/Wildcard.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

TEST(Utf8, DecodesEncodesAndCounts) {
    // A malformed sequence decodes as its first byte and advances by one, so every byte is consumed.
    const struct {
        const char* bytes;
        char32_t codePoint;
        std::size_t length;
    } cases[] = {
        {"a", U'a', 1},
        {"\xC3\xA9", 0xE9, 2},
        {"\xE3\x81\x82", 0x3042, 3},
        {"\xF0\x9F\x98\x80", 0x1F600, 4},
        {"\xC0\xAF", 0xC0, 1},         // overlong "/"
        {"\xE0\x80\xAF", 0xE0, 1},     // overlong "/"
        {"\xED\xA0\x80", 0xED, 1},     // surrogate
        {"\xF4\x90\x80\x80", 0xF4, 1}, // beyond U+10FFFF
        {"\xE3\x81", 0xE3, 1},         // cut short
        {"\x80", 0x80, 1},
    };
    for (const auto& c : cases) {
        std::size_t pos = 0;
        EXPECT_EQ(NextCodePoint(c.bytes, pos), c.codePoint) << c.bytes;
        EXPECT_EQ(pos, c.length) << c.bytes;
    }
    std::string out;
    for (const char32_t cp : {U'a', U'é', U'あ', U'😀'}) {
        AppendCodePoint(out, cp);
    }
    EXPECT_EQ(out, "aéあ😀");
    EXPECT_EQ(CountCodePoints("aあ😀\xC0\xAF"), 5u);
    EXPECT_EQ(LastCodePointOffset("aあ"), 1u);
    EXPECT_EQ(LastCodePointOffset(""), 0u);
}

TEST(CaseFold, EqualsIgnoreCase) {
    const struct {
        const char* a;
        const char* b;
        bool equal;
    } cases[] = {{"README.TXT", "readme.txt", true},
                 {"ΣΟΦΙΑ", "σοφια", true},
                 {"ПРИВЕТ.txt", "привет.TXT", true},
                 {"データ.bin", "データ.BIN", true},
                 {"\xC4", "\xC4", true},
                 {"a", "b", false},
                 {"Ａｂｃ.TXT", "ａＢＣ.txt", true}, // full-width Latin
                 {"ａ", "a", false},                 // full-width is not ASCII
                 {"ß", "ss", false},                 // simple folding does not expand
                 {"\xC4", "Ä", false},               // a stray byte is not a letter
                 {"a\xC4", "a\xC5", false},          // nor the same as another stray byte
                 {"\xC0\xAF", "/", false}};
    for (const auto& c : cases) {
        EXPECT_EQ(EqualsIgnoreCase(c.a, c.b), c.equal) << c.a << " / " << c.b;
    }
    // Final sigma: Unicode folding makes it sigma; on Windows the file system's upper-case table
    // decides, and TextTest_win.cpp holds the folding to that table for every character.
    if (!OnWindows()) {
        EXPECT_TRUE(EqualsIgnoreCase("σ", "ς"));
    }
    EXPECT_EQ(CaseFold("ABC\xFF.Txt ＡＢ ΑΒΓ"), "abc\xFF.txt ａｂ αβγ");
}

TEST(CodePage, ConvertsCodePage932BothWays) {
    const struct {
        std::string ansi;
        std::string text;
    } cases[] = {
        {"\x93\xFA\x96\x7B", "日本"},
        {"\x95\x5C.txt", "表.txt"}, // the second byte is 0x5C, yet no backslash
        {"\x81\x60", "～"},         // U+FF5E, as the Windows code page maps it
        {"\x87\x40", "①"},
        {"\xB6\xC5", "ｶﾅ"},
        {"a\\b", "a\\b"},
        {"a\0b"s, "a\0b"s},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AnsiToUtf8(c.ansi), c.text) << c.text;
        EXPECT_EQ(Utf8ToAnsi(c.text), c.ansi) << c.text;
    }
    const std::string text = "チェックサム一覧　（ＣＲＣ）ﾊﾝｶｸ ファイル名①～③.txt";
    EXPECT_EQ(AnsiToUtf8(Utf8ToAnsi(text)), text);
}

TEST(CodePage, WhatCannotBeConvertedBecomesOneMarkEach) {
    const struct {
        std::string (*convert)(std::string_view);
        std::string from;
        std::string to;
    } cases[] = {
        // Windows' own table for code page 932 gives 0x80 the character U+0080; glibc's has none for it.
        {AnsiToUtf8, "a\x80 b", OnWindows() ? "a\u0080 b" : "a\uFFFD b"},
        {AnsiToUtf8, "\xFD\xFE\xFF", "\uFFFD\uFFFD\uFFFD"},
        {AnsiToUtf8, "\x81\x20x", "\uFFFD x"}, // a lead byte without a valid trail byte
        {AnsiToUtf8, "ok\x82", "ok\uFFFD"},    // cut short at the end
        {AnsiToUtf8, "", ""},
        {Utf8ToAnsi, "a😀b", "a?b"},
        {Utf8ToAnsi, "aéb", "a?b"}, // no look-alike
        // The yen sign: glibc's table maps it one way to 0x5C, which Japanese systems show as a yen sign; on
        // Windows that would be a best-fit look-alike and a path separator for the ANSI functions, so "?".
        {Utf8ToAnsi, "a¥b", OnWindows() ? "a?b" : "a\\b"},
        {Utf8ToAnsi, "a\xFF-b", "a?-b"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.convert(c.from), c.to) << c.from;
    }
}

TEST(Wildcard, Match) {
    const struct {
        const char* pattern;
        std::vector<const char*> matching;
        std::vector<const char*> other;
    } cases[] = {
        {"*?.*?", {"a.txt", "x.zip.crc", "あ.い"}, {"CHECKSUM", ".crc", "a."}},
        {"?:\\*", {"C:\\x", "あ:\\x"}, {"C:x"}},
        {"\\\\*\\*", {"\\\\srv\\share"}, {"\\\\srv"}},
        {"a?c", {"abc"}, {"ac"}},
        {"a#c", {"a1c"}, {"abc"}},
        {"[a-c]", {"b"}, {"d"}},
        {"[!a-c]", {"d"}, {"b"}},
        {"abc", {"abc"}, {"ABC"}},
        {"*", {"", "abc"}, {}},
        {"?", {"あ"}, {""}},
        {"a*b", {"axxb"}, {"axxbc"}},
        {"*a*b", {"aaab"}, {}},
        {"*ss*ss*", {"mississippi"}, {}},
        {"x[", {"x["}, {}},
        {"a[]b", {"ab"}, {}},
        {"*[!0-9A-Fa-f]*", {"12x4"}, {"12ab34EF"}},
    };
    for (const auto& c : cases) {
        for (const char* text : c.matching) {
            EXPECT_TRUE(WildcardMatch(text, c.pattern)) << text << " ~ " << c.pattern;
        }
        for (const char* text : c.other) {
            EXPECT_FALSE(WildcardMatch(text, c.pattern)) << text << " ~ " << c.pattern;
        }
    }
}

} // namespace
