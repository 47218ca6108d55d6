#include "util/FileSystem.h"
#include "TempFolder.h"
#include "util/AppError.h"
#include "util/TextFile.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

TEST(ReadTextFile, ReadsEveryByteAsStored) {
    TempFolder temp;
    for (const std::string& bytes : {std::string(), std::string("a\r\nb\nc\rd\r"), std::string(200000, 'x')}) {
        const std::string path = temp.Write("file.txt", bytes);
        EXPECT_TRUE(FileExists(path));
        EXPECT_EQ(ReadTextFile(path), bytes);
    }
    EXPECT_EQ(ReadTextFile(temp.Write("sjis.txt", "\x93\xFA\x96\x7B\r\n")), "日本\r\n");
}

TEST(ReadTextFile, MissingFileOrFolderRaisesNamingThePath) {
    TempFolder temp;
    for (const std::string& path : {temp.File("missing.txt"), temp.Path()}) {
        EXPECT_FALSE(FileExists(path));
        try {
            ReadTextFile(path);
            ADD_FAILURE() << "no error for " << path;
        } catch (const AppError& e) {
            EXPECT_NE(e.Number(), 0);
            EXPECT_NE(e.Description().find(path), std::string::npos) << e.Description();
        }
    }
    EXPECT_FALSE(std::filesystem::exists(temp.File("missing.txt"))); // reading creates nothing
    EXPECT_FALSE(FileExists(""));
}

} // namespace

namespace {

// A stop asked for during a long listing ends it within a few hundred names; without one, every name comes.
TEST(ListFolder, StopsWhenAsked) {
    TempFolder temp;
    constexpr int kFiles = 1500;
    for (int i = 0; i < kFiles; ++i) {
        temp.Write(std::to_string(i), "");
    }
    EXPECT_EQ(ListFolder(temp.Path()).size(), static_cast<std::size_t>(kFiles));
    int asked = 0;
    const std::size_t listed = ListFolder(temp.Path(), [&] { return ++asked > 1; }).size();
    EXPECT_GT(asked, 1);
    EXPECT_LT(listed, static_cast<std::size_t>(kFiles));
    EXPECT_TRUE(ListFolder(temp.Path(), [] { return true; }).empty());
}

// Reasons of the usual errors are short texts of their own; others are the system's words, never empty.
TEST(ReadErrorReason, EveryNumberHasAText) {
    EXPECT_EQ(ReadErrorReason(ReadError::NotRegularFile), "通常のファイルではありません");
    EXPECT_EQ(ReadErrorReason(ReadError::SizeChanged), "読み取り中にファイルのサイズが変わりました");
    for (int code = 1; code < 200; ++code) {
        const std::string reason = ReadErrorReason(code);
        EXPECT_FALSE(reason.empty()) << code;
        EXPECT_FALSE(reason.ends_with("。")) << code << " " << reason;
    }
}

} // namespace
