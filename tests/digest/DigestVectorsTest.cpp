// Published known answers (CRC catalogue check values, RFC 1321) for memory and for files.
#include "TempFolder.h"
#include "digest/CRC16.h"
#include "digest/CRC32.h"
#include "digest/DigestText.h"
#include "digest/clsMD5Context.h"
#include "digest/mdlAPICRC32.h"
#include "digest/mdlAPIMD5.h"
#include "util/SequentialFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

// 3 MiB + 12345 bytes: the reader hands over three full chunks and a short one.
std::string PatternBytes() {
    std::string bytes(3 * (std::size_t{1} << 20) + 12345, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
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
    // Computed with Python's zlib and hashlib and a bit-at-a-time CRC-16.
    {"pattern.bin", PatternBytes(), "D2A6", "C18EDC24", "1c6c9126b48ffa2d0cdf357791d8f44b"},
};

TEST(DigestKnownAnswers, InMemory) {
    for (const KnownAnswer& answer : kKnownAnswers) {
        SCOPED_TRACE(answer.fileName);
        const auto* data = reinterpret_cast<const unsigned char*>(answer.bytes.data());
        EXPECT_EQ(HexUpper(UpdateCRC16(0, data, answer.bytes.size()), 4), answer.crc16);
        EXPECT_EQ(HexUpper(UpdateCRC32(0, data, answer.bytes.size()), 8), answer.crc32);
        clsMD5Context md5;
        ASSERT_TRUE(md5.Update(data, answer.bytes.size()));
        clsMD5Context::Digest digest{};
        ASSERT_TRUE(md5.Final(digest));
        EXPECT_EQ(HexLower(digest.data(), digest.size()), answer.md5);
    }
}

TEST(DigestKnownAnswers, Files) {
    ASSERT_GT(PatternBytes().size(), 3 * kSequentialChunkSize);
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
