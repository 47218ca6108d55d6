#include "util/CaseFold.h"

#include "TestPlatform.h"

#include <gtest/gtest.h>

namespace {

TEST(CaseFold, EqualsIgnoreCase) {
    const struct {
        const char* a;
        const char* b;
        bool equal;
    } cases[] = {
        {"README.TXT", "readme.txt", true},
        {"Ａｂｃ.TXT", "ａＢＣ.txt", true}, // full-width Latin
        {"ΣΟΦΙΑ", "σοφια", true},
        {"ПРИВЕТ.txt", "привет.TXT", true},
        {"データ.bin", "データ.BIN", true},
        {"ａ", "a", false}, // full-width is not ASCII
        {"ß", "ss", false}, // simple folding does not expand
        {"a", "b", false},
        {"", "", true},
        {"\xC4", "\xC4", true},
        {"\xC4", "Ä", false},      // a stray byte is not a letter
        {"a\xC4", "a\xC5", false}, // nor the same as another stray byte
        {"\xC0\xAF", "/", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EqualsIgnoreCase(c.a, c.b), c.equal) << c.a << " / " << c.b;
    }
    // Final sigma: Unicode folding makes it sigma; on Windows the file system's upper-case table
    // decides, and CaseFoldTest_win.cpp holds the folding to that table for every character.
    if (!OnWindows()) {
        EXPECT_TRUE(EqualsIgnoreCase("σ", "ς"));
    }
}

TEST(CaseFold, FoldsToLowerCase) {
    EXPECT_EQ(CaseFold("ABC.Txt"), "abc.txt");
    EXPECT_EQ(CaseFold("ＡＢ"), "ａｂ");
    EXPECT_EQ(CaseFold("ΑΒΓ"), "αβγ");
    EXPECT_EQ(CaseFold("a\xFF"
                       "B"),
              "a\xFF"
              "b");
}

} // namespace
