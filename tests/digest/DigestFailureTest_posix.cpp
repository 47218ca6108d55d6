// Digest failures that only POSIX systems can produce: unreadable special files, pipes under a listed name.
#include "TempFolder.h"
#include "digest/mdlAPICRC32.h"
#include "digest/mdlAPIMD5.h"
#include "util/AppError.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace {

void ExpectAllFail(const std::string& path) {
    SCOPED_TRACE(path);
    EXPECT_THROW(FileCRC16(path), AppError);
    EXPECT_THROW(FileCRC32(path), AppError);
    EXPECT_THROW(FileMD5(path), AppError);
}

// Opening succeeds but reading fails: this process's memory file at address 0, which is never mapped.
TEST(DigestFailurePosix, ReadError) {
    if (!std::filesystem::exists("/proc/self/mem")) {
        GTEST_SKIP() << "no /proc on this system";
    }
    ExpectAllFail("/proc/self/mem");
}

// A pipe would block the check forever waiting for a writer.
TEST(DigestFailurePosix, PipeFailsAtOnce) {
    TempFolder folder;
    const std::string fifo = folder.File("listed.bin");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ExpectAllFail(fifo);
}

} // namespace
