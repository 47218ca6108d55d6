// The file reader on files that change length while open, which Windows does not allow while a reader holds them.
#include "FileReaderTestRead.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

TEST(FileReaderPosix, LengthChangedAfterOpening) {
    TempFolder folder;
    const std::string path = folder.Write("file.bin", std::string(100, 'a'));
    clsFileReader reader;
    ASSERT_TRUE(reader.Open(path));
    folder.Write("file.bin", std::string(40, 'b')); // truncated, rewritten shorter
    EXPECT_EQ(ReadAll(reader, 64).second, std::string(40, 'b'));
    ASSERT_TRUE(reader.Open(path));
    std::filesystem::resize_file(path, 150); // grown: read to the new end
    EXPECT_EQ(ReadAll(reader, 64).second, std::string(40, 'b') + std::string(110, '\0'));
}

} // namespace
