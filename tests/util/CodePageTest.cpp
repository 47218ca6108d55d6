#include "util/CodePage.h"

#include "TestPlatform.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;

TEST(CodePage, ConvertsCodePage932) {
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
}

TEST(CodePage, JapaneseTextRoundTrips) {
    const std::string text = "チェックサム一覧　（ＣＲＣ）ﾊﾝｶｸ ファイル名①～③.txt";
    const std::string ansi = Utf8ToAnsi(text);
    EXPECT_NE(ansi, text);
    EXPECT_EQ(AnsiToUtf8(ansi), text);
}

TEST(CodePage, InvalidBytesBecomeOneReplacementEach) {
    const struct {
        std::string ansi;
        std::string text;
    } cases[] = {
        // Windows' own table for code page 932 gives 0x80 the character U+0080; glibc's has none for it.
        {"a\x80"
         "b",
         OnWindows() ? "a\u0080b" : "a\uFFFDb"},
        {"\xFD\xFE\xFF", "\uFFFD\uFFFD\uFFFD"},
        {"\x81\x20x", "\uFFFD x"}, // a lead byte without a valid trail byte
        {"ok\x82", "ok\uFFFD"},    // cut short at the end
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AnsiToUtf8(c.ansi), c.text);
    }
}

TEST(CodePage, UnmappableCharactersBecomeQuestionMarks) {
    EXPECT_EQ(Utf8ToAnsi("a😀b"), "a?b");
    EXPECT_EQ(Utf8ToAnsi("aéb"), "a?b") << "no look-alike";
    // The yen sign: glibc's table maps it one way to 0x5C, which Japanese systems show as a yen sign; on
    // Windows that would be a best-fit look-alike and a path separator for the ANSI functions, so "?".
    EXPECT_EQ(Utf8ToAnsi("a¥b"), OnWindows() ? "a?b" : "a\\b");
    EXPECT_EQ(Utf8ToAnsi("a\xFF"
                         "b"),
              "a?b");
}

} // namespace
