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

struct KnownAnswer {
    const char* label;
    std::string bytes;
    const char* crc16;
    const char* crc32;
    const char* md5;
};

const KnownAnswer kKnownAnswers[] = {
    {"empty", "", "0000", "00000000", "d41d8cd98f00b204e9800998ecf8427e"},
    {"a", "a", "E8C1", "E8B7BE43", "0cc175b9c0f1b6a831c399e269772661"},
    {"abc", "abc", "9738", "352441C2", "900150983cd24fb0d6963f7d28e17f72"},
    {"check", "123456789", "BB3D", "CBF43926", "25f9e794323b453885f5181f1b624d0b"},
    {"message digest", "message digest", "3B44", "20159D7F", "f96b697d7cb7938d525a2f31aaf161d0"},
    {"million a", std::string(1000000, 'a'), "ED59", "DC25BFBC", "7707d6ae4e027c70eea2a935c2296f21"},
    // Computed with Python's zlib and hashlib and a bit-at-a-time CRC-16: 3 MiB + 12345 bytes, so
    // the reader hands over three full chunks and a short one.
    {"pattern", "", "D2A6", "C18EDC24", "1c6c9126b48ffa2d0cdf357791d8f44b"},
};

std::string PatternBytes() {
    std::string bytes(3 * (std::size_t{1} << 20) + 12345, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>((i * 7 + (i >> 11)) & 0xFFU);
    }
    return bytes;
}

std::string BytesOf(const KnownAnswer& answer) {
    return std::string(answer.label) == "pattern" ? PatternBytes() : answer.bytes;
}

const unsigned char* Data(const std::string& bytes) {
    return reinterpret_cast<const unsigned char*>(bytes.data());
}

TEST(DigestKnownAnswers, InMemory) {
    for (const KnownAnswer& answer : kKnownAnswers) {
        SCOPED_TRACE(answer.label);
        const std::string bytes = BytesOf(answer);
        EXPECT_EQ(HexUpper(UpdateCRC16(0, Data(bytes), bytes.size()), 4), answer.crc16);
        EXPECT_EQ(HexUpper(UpdateCRC32(0, Data(bytes), bytes.size()), 8), answer.crc32);
        clsMD5Context md5;
        ASSERT_TRUE(md5.Update(Data(bytes), bytes.size()));
        clsMD5Context::Digest digest{};
        ASSERT_TRUE(md5.Final(digest));
        EXPECT_EQ(HexLower(digest.data(), digest.size()), answer.md5);
    }
}

TEST(DigestKnownAnswers, Files) {
    TempFolder folder;
    for (const KnownAnswer& answer : kKnownAnswers) {
        SCOPED_TRACE(answer.label);
        const std::string path = folder.Write(std::string(answer.label) + ".bin", BytesOf(answer));
        EXPECT_EQ(FileCRC16(path), answer.crc16);
        EXPECT_EQ(FileCRC32(path), answer.crc32);
        EXPECT_EQ(FileMD5(path), answer.md5);
    }
}

TEST(DigestKnownAnswers, PatternFileCrossesChunkBoundaries) {
    EXPECT_GT(PatternBytes().size(), 3 * kSequentialChunkSize);
}

TEST(DigestKnownAnswers, NonAsciiFileName) {
    TempFolder folder;
    const std::string path = folder.Write("検証データ①.bin", "123456789");
    EXPECT_EQ(FileCRC16(path), "BB3D");
    EXPECT_EQ(FileCRC32(path), "CBF43926");
    EXPECT_EQ(FileMD5(path), "25f9e794323b453885f5181f1b624d0b");
}

// A CRC of 0 is a result like any other, not a failure.
TEST(DigestKnownAnswers, ZeroCRCIsAResult) {
    TempFolder folder;
    // "123456789" followed by its CRC-16/ARC, low byte first, leaves a remainder of 0.
    EXPECT_EQ(FileCRC16(folder.Write("crc16-zero.bin", std::string("123456789\x3D\xBB", 11))), "0000");
    // Four bytes whose CRC-32 is 0 (solved with Python's zlib.crc32).
    EXPECT_EQ(FileCRC32(folder.Write("crc32-zero.bin", std::string("\x9D\x0A\xD9\x6D", 4))), "00000000");
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

TEST(DigestVersions, ShownAsOnePointZeroOne) {
    EXPECT_EQ(CRC32Version(), 101);
    EXPECT_EQ(MD5Version(), 101);
}

} // namespace
