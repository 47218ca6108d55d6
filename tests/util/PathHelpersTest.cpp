#include "util/PathHelpers.h"

#include <gtest/gtest.h>

namespace {

constexpr PathRules W = PathRules::Windows;
constexpr PathRules P = PathRules::Posix;

TEST(PathHelpers, SplitAndJoinUnderBothRules) {
    const struct {
        PathRules rules;
        const char* path;
        const char* withSeparator; // AddBackslash
        const char* name;          // GetFileName
        const char* parent;        // GetParentFolder
        bool absolute;             // IsAbsoluteFolderPath
    } cases[] = {
        {W, "", "", "", "", false},
        {W, "C:", "C:\\", "C:", "", true},
        {W, "C:\\", "C:\\", "C:\\", "", true},
        {W, "C:\\data", "C:\\data\\", "data", "C:\\", true},
        {W, "C:\\data\\", "C:\\data\\", "data\\", "C:\\", true},
        {W, "C:\\data\\list.crc", "C:\\data\\list.crc\\", "list.crc", "C:\\data", true},
        {W, "C:\\data/list.crc", "C:\\data/list.crc\\", "data/list.crc", "C:\\", true},
        {W, "\\\\server\\share", "\\\\server\\share\\", "share", "\\\\server\\", true},
        {W, "\\\\server\\share\\file.txt", "\\\\server\\share\\file.txt\\", "file.txt", "\\\\server\\share", true},
        {W, "data\\sub", "data\\sub\\", "sub", "data", false},
        {W, "list.crc", "list.crc\\", "list.crc", "", false},
        {W, "\\file.txt", "\\file.txt\\", "file.txt", "\\", false},
        {W, "a/", "a/\\", "a/", "", false},
        {W, "/data", "/data\\", "/data", "", false},
        // Characters, not bytes: two characters stay whole, any one character is a drive letter.
        {W, "\\あ", "\\あ\\", "\\あ", "\\", false},
        {W, "x\\あい", "x\\あい\\", "あい", "x", false},
        {W, "データ\\リスト.crc", "データ\\リスト.crc\\", "リスト.crc", "データ", false},
        {W, "あ:\\x", "あ:\\x\\", "x", "あ:\\", false},
        {P, "", "", "", "", false},
        {P, "/", "/", "/", "", true},
        {P, "/a", "/a/", "/a", "/", true},
        {P, "/ab", "/ab/", "ab", "/", true},
        {P, "/data/", "/data/", "data/", "/", true},
        {P, "/data/list.crc", "/data/list.crc/", "list.crc", "/data", true},
        {P, "/data/sub/", "/data/sub/", "sub/", "/data", true},
        {P, "data/sub", "data/sub/", "sub", "data", false},
        {P, "list.crc", "list.crc/", "list.crc", "", false},
        {P, "a\\", "a\\/", "a\\", "", false},
        {P, "C:\\data\\list.crc", "C:\\data\\list.crc/", "C:\\data\\list.crc", "", false},
        {P, "データ/リスト.crc", "データ/リスト.crc/", "リスト.crc", "データ", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(AddBackslash(c.path, c.rules), c.withSeparator);
        EXPECT_EQ(GetFileName(c.path, c.rules), c.name);
        EXPECT_EQ(GetParentFolder(c.path, c.rules), c.parent);
        EXPECT_EQ(IsAbsoluteFolderPath(c.path, c.rules), c.absolute);
    }
}

} // namespace
