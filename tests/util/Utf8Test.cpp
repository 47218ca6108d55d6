#include "util/Utf8.h"

#include <gtest/gtest.h>

namespace {

TEST(Utf8, DecodesValidAndRejectsMalformedSequencesByteByByte) {
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
}

TEST(Utf8, CountsAndEncodes) {
    EXPECT_EQ(CountCodePoints("aあ😀"), 3u);
    EXPECT_EQ(CountCodePoints("\xC0\xAF"), 2u);
    EXPECT_EQ(LastCodePointOffset("aあ"), 1u);
    EXPECT_EQ(LastCodePointOffset(""), 0u);
    std::string out;
    for (const char32_t cp : {U'a', char32_t(0xE9), char32_t(0x3042), char32_t(0x1F600)}) {
        AppendCodePoint(out, cp);
    }
    EXPECT_EQ(out, "aéあ😀");
}

} // namespace
