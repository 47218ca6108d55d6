#include "util/Wildcard.h"

#include <gtest/gtest.h>

namespace {

TEST(Wildcard, Match) {
    const struct {
        const char* text;
        const char* pattern;
        bool expected;
    } cases[] = {
        {"a.txt", "*?.*?", true},
        {"x.zip.crc", "*?.*?", true},
        {"CHECKSUM", "*?.*?", false},
        {".crc", "*?.*?", false},
        {"a.", "*?.*?", false},
        {"あ.い", "*?.*?", true},
        {"C:\\x", "?:\\*", true},
        {"あ:\\x", "?:\\*", true},
        {"C:x", "?:\\*", false},
        {"\\\\srv\\share", "\\\\*\\*", true},
        {"\\\\srv", "\\\\*\\*", false},
        {"abc", "a?c", true},
        {"ac", "a?c", false},
        {"a1c", "a#c", true},
        {"abc", "a#c", false},
        {"b", "[a-c]", true},
        {"d", "[a-c]", false},
        {"d", "[!a-c]", true},
        {"b", "[!a-c]", false},
        {"ABC", "abc", false},
        {"", "*", true},
        {"", "?", false},
        {"abc", "*", true},
        {"axxb", "a*b", true},
        {"axxbc", "a*b", false},
        {"x[", "x[", true},
        {"ab", "a[]b", true},
        {"12ab34EF", "*[!0-9A-Fa-f]*", false},
        {"12x4", "*[!0-9A-Fa-f]*", true},
        {"aaab", "*a*b", true},
        {"mississippi", "*ss*ss*", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WildcardMatch(c.text, c.pattern), c.expected) << c.text << " ~ " << c.pattern;
    }
}

} // namespace
