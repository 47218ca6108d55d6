// A file that cannot be read raises the digest error with its binding's message, never a value.
#include "TempFolder.h"
#include "digest/mdlAPICRC32.h"
#include "digest/mdlAPIMD5.h"
#include "util/AppError.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

namespace {

const std::string kCRCMessage = "ファイルのCRC算出に失敗しました。";
const std::string kMD5Message = "MD5の算出に失敗しました。";

void ExpectDigestError(const std::function<std::string()>& compute, const std::string& message) {
    try {
        const std::string value = compute();
        ADD_FAILURE() << "no error, got " << value;
    } catch (const AppError& error) {
        EXPECT_EQ(error.Number(), -2147220862);
        EXPECT_EQ(error.Number(), ErrorNumber::DigestFailed);
        EXPECT_EQ(error.Description(), message);
    }
}

void ExpectAllFail(const std::string& path) {
    SCOPED_TRACE(path);
    ExpectDigestError([&] { return FileCRC16(path); }, kCRCMessage);
    ExpectDigestError([&] { return FileCRC32(path); }, kCRCMessage);
    ExpectDigestError([&] { return FileMD5(path); }, kMD5Message);
}

TEST(DigestFailure, MissingFile) {
    TempFolder folder;
    ExpectAllFail(folder.File("absent.bin"));
}

TEST(DigestFailure, FileThatVanished) {
    TempFolder folder;
    const std::string path = folder.Write("gone.bin", "abc");
    ASSERT_EQ(FileCRC32(path), "352441C2");
    std::filesystem::remove(path);
    ExpectAllFail(path);
}

TEST(DigestFailure, Folder) {
    TempFolder folder;
    std::filesystem::create_directory(folder.File("sub"));
    ExpectAllFail(folder.File("sub"));
    ExpectAllFail(folder.Path());
}

TEST(DigestFailure, FileUsedAsFolder) {
    TempFolder folder;
    folder.Write("plain.bin", "abc");
    ExpectAllFail(folder.File("plain.bin/"));
    ExpectAllFail(folder.File("plain.bin/inner.bin"));
}

TEST(DigestFailure, EmptyPath) {
    ExpectAllFail("");
}

} // namespace
