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
