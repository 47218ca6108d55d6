// Published known answers (CRC catalogue check values, RFC 1321), computed from files as the check does.
#include "TempFolder.h"
#include "digest/mdlAPICRC32.h"
#include "digest/mdlAPIMD5.h"
#include "util/SequentialFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

std::string PatternBytes(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 7 + (i >> 11)) & 0xFFU);
    }
    return bytes;
}

struct KnownAnswer {
    const char* fileName;
    std::string bytes;
    const char* crc16;
    const char* crc32;
    const char* md5;
};

const KnownAnswer kKnownAnswers[] = {
    {"empty.bin", "", "0000", "00000000", "d41d8cd98f00b204e9800998ecf8427e"},
    {"a.bin", "a", "E8C1", "E8B7BE43", "0cc175b9c0f1b6a831c399e269772661"},
    {"abc.bin", "abc", "9738", "352441C2", "900150983cd24fb0d6963f7d28e17f72"},
    {"検証データ①.bin", "123456789", "BB3D", "CBF43926", "25f9e794323b453885f5181f1b624d0b"},
    {"message.bin", "message digest", "3B44", "20159D7F", "f96b697d7cb7938d525a2f31aaf161d0"},
    {"million.bin", std::string(1000000, 'a'), "ED59", "DC25BFBC", "7707d6ae4e027c70eea2a935c2296f21"},
    // Exactly one chunk of the reader, and three full chunks and a short one. Computed with Python's zlib and
    // hashlib and a bit-at-a-time CRC-16.
    {"chunk.bin", PatternBytes(std::size_t{1} << 20), "FB51", "A9B782D3", "32f38f98b86fb7276729f393eee1d733"},
    {"chunks.bin", PatternBytes(3 * (std::size_t{1} << 20) + 12345), "D2A6", "C18EDC24",
     "1c6c9126b48ffa2d0cdf357791d8f44b"},
};

TEST(DigestKnownAnswers, Files) {
    ASSERT_EQ(kSequentialChunkSize, std::size_t{1} << 20) << "the pattern files no longer meet the chunk boundaries";
    TempFolder folder;
    for (const KnownAnswer& answer : kKnownAnswers) {
        SCOPED_TRACE(answer.fileName);
        const std::string path = folder.Write(answer.fileName, answer.bytes);
        EXPECT_EQ(FileCRC16(path), answer.crc16);
        EXPECT_EQ(FileCRC32(path), answer.crc32);
        EXPECT_EQ(FileMD5(path), answer.md5);
    }
}

// Beyond 2 GiB: a sparse file of 2 GiB of zeros and one "x". Only CRC-32, the fastest, to keep it short.
TEST(DigestKnownAnswers, FileLargerThan2GiB) {
    TempFolder folder;
    const std::string path = folder.File("large.bin");
    { std::ofstream out(path, std::ios::binary); }
    const std::uintmax_t zeros = std::uintmax_t{1} << 31;
    std::filesystem::resize_file(path, zeros);
    {
        std::ofstream out(path, std::ios::binary | std::ios::in | std::ios::out);
        out.seekp(static_cast<std::streamoff>(zeros));
        out.put('x');
    }
    ASSERT_EQ(std::filesystem::file_size(path), zeros + 1);
    EXPECT_EQ(FileCRC32(path), "9890F73E"); // Python: zlib.crc32 over the same bytes
}

} // namespace
