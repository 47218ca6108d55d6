#include "util/PathHelpers.h"

#include <gtest/gtest.h>

namespace {

struct PathCase {
    PathRules rules;
    const char* path;
    const char* expected;
};

constexpr PathRules W = PathRules::Windows;
constexpr PathRules P = PathRules::Posix;

TEST(PathHelpers, AddBackslash) {
    const PathCase cases[] = {
        {W, "", ""},
        {W, "C:\\data", "C:\\data\\"},
        {W, "C:\\data\\", "C:\\data\\"},
        {W, "C:", "C:\\"},
        {W, "a/", "a/\\"},
        {P, "", ""},
        {P, "/data", "/data/"},
        {P, "/data/", "/data/"},
        {P, "a\\", "a\\/"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AddBackslash(c.path, c.rules), c.expected) << c.path;
    }
}

TEST(PathHelpers, GetFileName) {
    const PathCase cases[] = {
        {W, "C:\\data\\list.crc", "list.crc"},
        {W, "list.crc", "list.crc"},
        {W, "C:\\", "C:\\"},
        {W, "ab", "ab"},
        {W, "\\\\server\\share", "share"},
        {W, "C:\\data\\sub\\", "sub\\"},
        {W, "C:\\data/list.crc", "data/list.crc"},
        {W, "\\あ", "\\あ"}, // two characters, however many bytes
        {W, "x\\あい", "あい"},
        {P, "/data/list.crc", "list.crc"},
        {P, "list.crc", "list.crc"},
        {P, "/a", "/a"},
        {P, "/ab", "ab"},
        {P, "/data/sub/", "sub/"},
        {P, "C:\\data\\list.crc", "C:\\data\\list.crc"},
        {P, "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GetFileName(c.path, c.rules), c.expected) << c.path;
    }
}

TEST(PathHelpers, GetParentFolder) {
    const PathCase cases[] = {
        {W, "C:\\dir\\file.txt", "C:\\dir"},
        {W, "C:\\file.txt", "C:\\"},
        {W, "C:\\dir\\", "C:\\"},
        {W, "C:\\", ""},
        {W, "\\\\server\\share\\file.txt", "\\\\server\\share"},
        {W, "\\\\server\\share", "\\\\server\\"},
        {W, "dir\\file.txt", "dir"},
        {W, "file.txt", ""},
        {W, "\\file.txt", "\\"},
        {W, "C:", ""},
        {W, "x", ""},
        {W, "", ""},
        {W, "データ\\リスト.crc", "データ"},
        {W, "あ:\\x", "あ:\\"},
        {P, "/dir/file.txt", "/dir"},
        {P, "/file.txt", "/"},
        {P, "/dir/", "/"},
        {P, "/", ""},
        {P, "dir/file.txt", "dir"},
        {P, "file.txt", ""},
        {P, "C:\\dir\\file.txt", ""},
        {P, "データ/リスト.crc", "データ"},
        {P, "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GetParentFolder(c.path, c.rules), c.expected) << c.path;
    }
}

TEST(PathHelpers, IsAbsoluteFolderPathAndSeparator) {
    EXPECT_TRUE(IsAbsoluteFolderPath("C:\\data", W));
    EXPECT_TRUE(IsAbsoluteFolderPath("\\\\server\\share", W));
    EXPECT_FALSE(IsAbsoluteFolderPath("data\\sub", W));
    EXPECT_FALSE(IsAbsoluteFolderPath("/data", W));
    EXPECT_TRUE(IsAbsoluteFolderPath("/data", P));
    EXPECT_FALSE(IsAbsoluteFolderPath("data/sub", P));
    EXPECT_FALSE(IsAbsoluteFolderPath("C:\\data", P));
    EXPECT_EQ(PathSeparator(W), '\\');
    EXPECT_EQ(PathSeparator(P), '/');
}

} // namespace
