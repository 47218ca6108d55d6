// The file reader: every byte once, in order, each read filling the buffer until the end; the end known without
// a further read when a read stops short at the file's length; what cannot be read refused at Open.
#include "FileReaderTestRead.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace {

TEST(FileReader, ReadsInFullBuffersToTheEnd) {
    struct Row {
        std::size_t size;
        std::size_t buffer;
        std::vector<std::int64_t> counts;
    };
    const Row rows[] = {
        {0, 10, {0}},
        {1, 10, {1}},
        {9, 10, {9}},
        {10, 10, {10, 0}},
        {11, 10, {10, 1}},
        {30, 10, {10, 10, 10, 0}},
        {4096, 1 << 20, {4096}},
        {(1 << 20) + 1, 1 << 20, {1 << 20, 1}},
    };
    TempFolder folder;
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.size) + " bytes, buffer " + std::to_string(row.buffer));
        std::string bytes(row.size, '\0');
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            bytes[i] = static_cast<char>(i * 7 + i / 251);
        }
        clsFileReader reader;
        ASSERT_TRUE(reader.Open(folder.Write("file.bin", bytes)));
        EXPECT_EQ(reader.Length(), row.size);
        const auto [counts, read] = ReadAll(reader, row.buffer);
        EXPECT_EQ(counts, row.counts);
        EXPECT_TRUE(read == bytes);
        EXPECT_EQ(reader.Read(nullptr, 10), 0); // ended for good
        reader.Close();
        EXPECT_FALSE(reader.IsOpen());
        EXPECT_EQ(reader.Read(nullptr, 10), -1);
    }
}

TEST(FileReader, RefusesWhatIsNoFile) {
    TempFolder folder;
    std::filesystem::create_directory(folder.File("sub"));
    folder.Write("plain.bin", "abc");
    clsFileReader reader;
    for (const std::string& path :
         {folder.File("absent.bin"), folder.File("sub"), folder.File("plain.bin/inner.bin"), std::string()}) {
        SCOPED_TRACE(path);
        EXPECT_FALSE(reader.Open(path));
        EXPECT_FALSE(reader.IsOpen());
    }
    // Opening again closes the file before.
    ASSERT_TRUE(reader.Open(folder.File("plain.bin")));
    EXPECT_FALSE(reader.Open(folder.File("absent.bin")));
    EXPECT_FALSE(reader.IsOpen());
}

} // namespace
