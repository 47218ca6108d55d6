// Character-level text handling: UTF-8 walking, case folding, the ANSI code page and wildcards.
#include "TestPlatform.h"
#include "util/CaseFold.h"
#include "util/CodePage.h"
#include "util/Utf8.h"
#include "util/Wildcard.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

using namespace std::string_literals;

TEST(Utf8, DecodesEncodesAndCounts) {
    // Malformed: overlong "/" twice, a surrogate, beyond U+10FFFF, cut short, a lone continuation byte.
    // Such a sequence decodes as its first byte and advances by one, so every byte is consumed.
    const std::tuple<const char*, char32_t, std::size_t> cases[] = {
        {"a", U'a', 1},        {"\xC3\xA9", 0xE9, 2},     {"\xE3\x81\x82", 0x3042, 3}, {"\xF0\x9F\x98\x80", 0x1F600, 4},
        {"\xC0\xAF", 0xC0, 1}, {"\xE0\x80\xAF", 0xE0, 1}, {"\xED\xA0\x80", 0xED, 1},   {"\xF4\x90\x80\x80", 0xF4, 1},
        {"\xE3\x81", 0xE3, 1}, {"\x80", 0x80, 1}};
    for (const auto& [bytes, codePoint, length] : cases) {
        std::size_t pos = 0;
        EXPECT_EQ(NextCodePoint(bytes, pos), codePoint) << bytes;
        EXPECT_EQ(pos, length) << bytes;
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
    // Full-width Latin folds, but is not ASCII; simple folding does not expand; a stray byte is neither a
    // letter nor the same as another stray byte.
    const std::tuple<const char*, const char*, bool> cases[] = {{"README.TXT", "readme.txt", true},
                                                                {"Ａｂｃ.TXT", "ａＢＣ.txt", true},
                                                                {"ΣΟΦΙΑ", "σοφια", true},
                                                                {"ПРИВЕТ.txt", "привет.TXT", true},
                                                                {"データ.bin", "データ.BIN", true},
                                                                {"ａ", "a", false},
                                                                {"ß", "ss", false},
                                                                {"a", "b", false},
                                                                {"\xC4", "\xC4", true},
                                                                {"\xC4", "Ä", false},
                                                                {"a\xC4", "a\xC5", false},
                                                                {"\xC0\xAF", "/", false}};
    for (const auto& [a, b, equal] : cases) {
        EXPECT_EQ(EqualsIgnoreCase(a, b), equal) << a << " / " << b;
    }
    // Final sigma: Unicode folding makes it sigma; on Windows the file system's upper-case table
    // decides, and TextTest_win.cpp holds the folding to that table for every character.
    if (!OnWindows()) {
        EXPECT_TRUE(EqualsIgnoreCase("σ", "ς"));
    }
    EXPECT_EQ(CaseFold("ABC\xFF.Txt ＡＢ ΑΒΓ"), "abc\xFF.txt ａｂ αβγ");
}

TEST(CodePage, ConvertsCodePage932BothWays) {
    // 0x5C as a trail byte is no backslash; 0x8160 is U+FF5E, as the Windows code page maps it.
    const std::pair<std::string, std::string> cases[] = {
        {"\x93\xFA\x96\x7B", "日本"}, {"\x95\x5C.txt", "表.txt"}, {"\x81\x60", "～"}, {"\x87\x40", "①"},
        {"\xB6\xC5", "ｶﾅ"},           {"a\\b", "a\\b"},           {"a\0b"s, "a\0b"s}};
    for (const auto& [ansi, text] : cases) {
        EXPECT_EQ(AnsiToUtf8(ansi), text) << text;
        EXPECT_EQ(Utf8ToAnsi(text), ansi) << text;
    }
    const std::string text = "チェックサム一覧　（ＣＲＣ）ﾊﾝｶｸ ファイル名①～③.txt";
    EXPECT_EQ(AnsiToUtf8(Utf8ToAnsi(text)), text);
}

TEST(CodePage, WhatCannotBeConvertedBecomesOneMarkEach) {
    const std::tuple<std::string (*)(std::string_view), std::string, std::string> cases[] = {
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
    for (const auto& [convert, from, to] : cases) {
        EXPECT_EQ(convert(from), to) << from;
    }
}

TEST(Wildcard, Match) {
    const std::tuple<const char*, std::vector<const char*>, std::vector<const char*>> cases[] = {
        // pattern, texts it matches, texts it does not match
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
    for (const auto& [pattern, matching, other] : cases) {
        for (const char* text : matching) {
            EXPECT_TRUE(WildcardMatch(text, pattern)) << text << " ~ " << pattern;
        }
        for (const char* text : other) {
            EXPECT_FALSE(WildcardMatch(text, pattern)) << text << " ~ " << pattern;
        }
    }
}

} // namespace
