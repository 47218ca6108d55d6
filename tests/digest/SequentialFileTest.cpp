// The chunked reader hands over every byte once, in order, and reports failure without throwing.
#include "util/SequentialFile.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

std::string Pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 131 + (i >> 9)) & 0xFFU);
    }
    return bytes;
}

TEST(SequentialFile, HandsOverEveryByteInOrder) {
    TempFolder folder;
    const std::size_t chunk = kSequentialChunkSize;
    for (const std::size_t size : {std::size_t{0}, std::size_t{1}, chunk - 1, chunk, chunk + 1, 3 * chunk + 5}) {
        SCOPED_TRACE(size);
        const std::string bytes = Pattern(size);
        const std::string path = folder.Write("data.bin", bytes);
        std::string seen;
        int chunks = 0;
        const bool ok = ReadSequentialFile(path, [&](const unsigned char* data, std::size_t length) {
            EXPECT_GT(length, 0U);
            EXPECT_LE(length, kSequentialChunkSize);
            seen.append(reinterpret_cast<const char*>(data), length);
            ++chunks;
            return true;
        });
        EXPECT_TRUE(ok);
        EXPECT_TRUE(seen == bytes) << "bytes differ, " << seen.size() << " of " << bytes.size() << " seen";
        EXPECT_EQ(chunks, static_cast<int>((size + chunk - 1) / chunk));
    }
}

TEST(SequentialFile, HandlerCanStopTheReading) {
    TempFolder folder;
    const std::string path = folder.Write("data.bin", Pattern(2 * kSequentialChunkSize + 1));
    int chunks = 0;
    EXPECT_FALSE(ReadSequentialFile(path, [&](const unsigned char*, std::size_t) {
        ++chunks;
        return false;
    }));
    EXPECT_EQ(chunks, 1);
}

TEST(SequentialFile, FailuresAreReportedNotThrown) {
    TempFolder folder;
    std::filesystem::create_directory(folder.File("sub"));
    folder.Write("plain.bin", "abc");
    for (const std::string& path :
         {folder.File("absent.bin"), folder.File("sub"), folder.File("plain.bin/x"), std::string()}) {
        SCOPED_TRACE(path);
        bool called = false;
        EXPECT_FALSE(ReadSequentialFile(path, [&](const unsigned char*, std::size_t) {
            called = true;
            return true;
        }));
        EXPECT_FALSE(called);
    }
}

} // namespace
