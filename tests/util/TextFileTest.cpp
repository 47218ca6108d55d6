#include "util/TextFile.h"
#include "TempFolder.h"
#include "util/AppError.h"
#include "util/FileSystem.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

TEST(ReadTextFile, ReadsBytesAsTheyAreStored) {
    TempFolder temp;
    EXPECT_EQ(ReadTextFile(temp.Write("empty.txt", "")), "");
    EXPECT_EQ(ReadTextFile(temp.Write("ends.txt", "a\r\nb\nc\rd\r")), "a\r\nb\nc\rd\r");
    EXPECT_EQ(ReadTextFile(temp.Write("sjis.txt", "\x93\xFA\x96\x7B\r\n")), "日本\r\n");
    const std::string big(200000, 'x');
    EXPECT_EQ(ReadTextFile(temp.Write("big.txt", big)), big);
}

TEST(ReadTextFile, MissingFileRaisesAndIsNotCreated) {
    TempFolder temp;
    const std::string path = temp.File("missing.txt");
    try {
        ReadTextFile(path);
        FAIL() << "no error";
    } catch (const AppError& e) {
        EXPECT_NE(e.Number(), 0);
        EXPECT_NE(e.Description().find(path), std::string::npos);
    }
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(ReadTextFile, FolderRaises) {
    TempFolder temp;
    EXPECT_THROW(ReadTextFile(temp.Path()), AppError);
}

TEST(FileExists, OnlyForFiles) {
    TempFolder temp;
    EXPECT_TRUE(FileExists(temp.Write("a.txt", "x")));
    EXPECT_TRUE(FileExists(temp.Write("empty", "")));
    EXPECT_FALSE(FileExists(temp.Path()));
    EXPECT_FALSE(FileExists(temp.File("missing")));
    EXPECT_FALSE(FileExists(""));
}

} // namespace
