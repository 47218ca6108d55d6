// Digest failures that only POSIX systems can produce: unreadable special files, pipes under a listed name.
#include "TempFolder.h"
#include "digest/mdlAPICRC32.h"
#include "digest/mdlAPIMD5.h"
#include "util/AppError.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

TEST(DigestFailurePosix, SpecialFiles) {
    TempFolder folder;
    // A pipe would block the check forever waiting for a writer.
    ASSERT_EQ(::mkfifo(folder.File("listed.bin").c_str(), 0600), 0);
    std::vector<std::string> paths = {folder.File("listed.bin")};
    // Opening succeeds but reading fails: this process's memory at address 0, which is never mapped.
    if (std::filesystem::exists("/proc/self/mem")) {
        paths.push_back("/proc/self/mem");
    }
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        EXPECT_THROW(FileCRC16(path), AppError);
        EXPECT_THROW(FileCRC32(path), AppError);
        EXPECT_THROW(FileMD5(path), AppError);
    }
}

} // namespace
