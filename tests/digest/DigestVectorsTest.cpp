// Published known answers (CRC catalogue check values, RFC 1321, FIPS 180 examples), computed from files as the
// check does.
#include "TempFolder.h"
#include "digest/DigestText.h"
#include "digest/clsSha224.h"
#include "digest/mdlAPICRC32.h"
#include "digest/mdlAPIMD5.h"
#include "digest/mdlAPISHA.h"
#include "util/SequentialFile.h"

#include <gtest/gtest.h>

#include <algorithm>
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

struct ShaAnswer {
    const char* fileName;
    std::string bytes;
    const char* sha[5]; // SHA-1, SHA-224, SHA-256, SHA-384, SHA-512
};

const ShaAnswer kShaAnswers[] = {
    {"empty.bin",
     "",
     {"da39a3ee5e6b4b0d3255bfef95601890afd80709", "d14a028c2a3a2bc9476102bb288234c415a2b01f828ea62ac5b3e42f",
      "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855",
      "38b060a751ac96384cd9327eb1b1e36a21fdb71114be07434c0cc7bf63f6e1da274edebfe76f65fbd51ad2f14898b95b",
      "cf83e1357eefb8bdf1542850d66d8007d620e4050b5715dc83f4a921d36ce9ce47d0d13c5d85f2b0ff8318d2877eec2f63b931bd47417a"
      "81a538327af927da3e"}},
    {"abc.bin",
     "abc",
     {"a9993e364706816aba3e25717850c26c9cd0d89d", "23097d223405d8228642a477bda255b32aadbce4bda0b3f7e36c9da7",
      "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad",
      "cb00753f45a35e8bb5a03d699ac65007272c32ab0eded1631a8b605a43ff5bed8086072ba1e7cc2358baeca134c825a7",
      "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a2192992a274fc1a836ba3c23a3feebbd454d4423643ce8"
      "0e2a9ac94fa54ca49f"}},
    {"二ブロック.bin",
     "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
     {"84983e441c3bd26ebaae4aa1f95129e5e54670f1", "75388b16512776cc5dba5da1fd890150b0c6455cb4f58b1952522525",
      "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1",
      "3391fdddfc8dc7393707a65b1b4709397cf8b1d162af05abfe8f450de5f36bc6b0455a8520bc4e6f5fe95b1fe3c8452b",
      "204a8fc6dda82f0a0ced7beb8e08a41657c16ef468b228a8279be331a703c33596fd15c13b1b07f9aa1d3bea57789ca031ad85c7a71dd7"
      "0354ec631238ca3445"}},
    {"million.bin",
     std::string(1000000, 'a'),
     {"34aa973cd4c4daa4f61eeb2bdbad27316534016f", "20794655980c91d8bbb4c1ea97618a4bf03f42581948b2ee4ee7ad67",
      "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0",
      "9d0e1809716474cb086e834e310a4a1ced149e9c00f248527972cec5704c2a5b07b8b3dc38ecc4ebae97ddd87f3d8985",
      "e718483d0ce769644e2e42c7bc15b4638e1f98b13b2044285632a803afa973ebde0ff244877ea60a4cb0432ce577c31beb009c5c2c49aa"
      "2e4eadb217ad8cc09b"}},
    // Three full chunks of the reader and a short one; computed with Python's hashlib.
    {"chunks.bin",
     PatternBytes(3 * (std::size_t{1} << 20) + 12345),
     {"33f8b6384b9da57bbc23aae7ed2a770ff5f8b483", "6b1ff9c07eb537600e83c84f7ed46a9a5e7e74ab7cb65c71b2aa192f",
      "8244dd47eac4ba48f4474f8a68da581ebf65deddfc6c7bbb2a97dc19e5698725",
      "1b912287d033c448493bc944c3fa5ab4bbacc5e6a17b9af70c1d5a0d9ee4ae06fd61389f999f2e64a3b9607016b2ae5e",
      "edbfb396acd62a05c01562ff2ab94f9c267f004eaa2eb074a88f428c1b6c5fbc4489ca3c157823085111169e2bf1ff1d71f2015a9a33"
      "5c7320b010497a307e04"}},
};

TEST(DigestKnownAnswers, ShaFiles) {
    TempFolder folder;
    const ShaAlgorithm algorithms[] = {ShaAlgorithm::SHA1, ShaAlgorithm::SHA224, ShaAlgorithm::SHA256,
                                       ShaAlgorithm::SHA384, ShaAlgorithm::SHA512};
    for (const ShaAnswer& answer : kShaAnswers) {
        SCOPED_TRACE(answer.fileName);
        const std::string path = folder.Write(answer.fileName, answer.bytes);
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(FileSHA(path, algorithms[i]), answer.sha[i]) << ShaName(algorithms[i]);
        }
    }
}

// Our own SHA-224 (Windows uses it) fed in uneven pieces gives the published answers.
TEST(DigestKnownAnswers, OwnSha224InPieces) {
    for (const ShaAnswer& answer : kShaAnswers) {
        for (const std::size_t piece : {1, 55, 64, 65, 4096}) {
            clsSha224 sha224;
            const auto* data = reinterpret_cast<const unsigned char*>(answer.bytes.data());
            for (std::size_t pos = 0; pos < answer.bytes.size(); pos += piece) {
                sha224.Update(data + pos, std::min(piece, answer.bytes.size() - pos));
            }
            const clsSha224::Digest digest = sha224.Final();
            EXPECT_EQ(HexLower(digest.data(), digest.size()), answer.sha[1]) << answer.fileName << " " << piece;
        }
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
