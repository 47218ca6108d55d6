// The chunked reader hands over every byte once, in order, in chunks no larger than its buffer.
#include "util/SequentialFile.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(SequentialFile, HandsOverEveryByteInOrder) {
    TempFolder folder;
    const std::size_t chunk = kSequentialChunkSize;
    for (const std::size_t size : {std::size_t{0}, std::size_t{1}, chunk, chunk + 1, 3 * chunk + 5}) {
        std::string bytes(size, '\0');
        for (std::size_t i = 0; i < size; ++i) {
            bytes[i] = static_cast<char>((i * 131 + (i >> 9)) & 0xFFU);
        }
        const std::string path = folder.Write("data.bin", bytes);
        std::string seen;
        std::size_t chunks = 0;
        EXPECT_TRUE(ReadSequentialFile(path, [&](const unsigned char* data, std::size_t length) {
            EXPECT_GT(length, 0U);
            EXPECT_LE(length, chunk);
            seen.append(reinterpret_cast<const char*>(data), length);
            ++chunks;
            return true;
        }));
        EXPECT_TRUE(seen == bytes) << size << " bytes: " << seen.size() << " seen";
        EXPECT_EQ(chunks, (size + chunk - 1) / chunk) << size;
    }
}

TEST(SequentialFile, HandlerCanStopTheReading) {
    TempFolder folder;
    const std::string path = folder.Write("data.bin", std::string(2 * kSequentialChunkSize + 1, 'x'));
    int chunks = 0;
    EXPECT_FALSE(ReadSequentialFile(path, [&](const unsigned char*, std::size_t) {
        ++chunks;
        return false;
    }));
    EXPECT_EQ(chunks, 1);
}

} // namespace
