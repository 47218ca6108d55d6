// A file that cannot be read raises the digest error with its binding's message, never a value; the
// reader underneath reports it, or a stop asked for by its handler, without throwing.
#include "TempFolder.h"
#include "digest/mdlAPICRC32.h"
#include "digest/mdlAPIMD5.h"
#include "digest/mdlAPISHA.h"
#include "util/AppError.h"
#include "util/SequentialFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

namespace {

void ExpectDigestError(const std::function<std::string()>& compute, const std::string& message) {
    try {
        ADD_FAILURE() << "no error, got " << compute();
    } catch (const AppError& error) {
        EXPECT_EQ(error.Number(), -2147220862);
        EXPECT_EQ(error.Description(), message);
    }
}

TEST(DigestFailure, UnreadablePaths) {
    TempFolder folder;
    std::filesystem::create_directory(folder.File("sub"));
    folder.Write("plain.bin", "abc");
    for (const std::string& path : {folder.File("absent.bin"), folder.File("sub"), folder.Path(),
                                    folder.File("plain.bin/"), folder.File("plain.bin/inner.bin"), std::string()}) {
        SCOPED_TRACE(path);
        ExpectDigestError([&] { return FileCRC16(path); }, "ファイルのCRC算出に失敗しました。");
        ExpectDigestError([&] { return FileCRC32(path); }, "ファイルのCRC算出に失敗しました。");
        ExpectDigestError([&] { return FileMD5(path); }, "MD5の算出に失敗しました。");
        ExpectDigestError([&] { return FileSHA(path, ShaAlgorithm::SHA1); }, "SHA-1の算出に失敗しました。");
        ExpectDigestError([&] { return FileSHA(path, ShaAlgorithm::SHA384); }, "SHA-384の算出に失敗しました。");
        bool called = false;
        EXPECT_FALSE(ReadSequentialFile(path, [&](const unsigned char*, std::size_t) {
            called = true;
            return true;
        }));
        EXPECT_FALSE(called);
    }
}

TEST(DigestFailure, HandlerCanStopTheReading) {
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
