// What the digest pool keeps to whatever it is asked: its memory budget and open files, and a small MD5 file
// that never waits for a large file of another kind.
#include "DigestPoolTestFiles.h"
#include "lists/clsDigestListItem.h"
#include "util/clsFileReader.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace {

using namespace std::chrono_literals;

TEST(DigestPoolLimits, BuffersAndFilesStayWithinTheirBounds) {
    const struct {
        unsigned workers;
        std::size_t memory;
        std::size_t openFiles;
    } rows[] = {
        {1, 64u << 20, 0},    {2, 64u << 20, 0},   {80, 64u << 20, 0},     {9999, 64u << 20, 0},
        {80, 64u << 20, 200}, {16, 8u << 20, 0},   {9999, 1u << 20, 0},    {4, 64u << 20, 9},
        {3, 64u << 20, 2},    {64, 4u << 20, 100}, {2, 64u << 20, 100000},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.workers) + " workers, " + std::to_string(row.memory) + " bytes, " +
                     std::to_string(row.openFiles) + " files");
        clsDigestPool::Options options;
        options.workers = row.workers;
        options.memory = row.memory;
        options.openFiles = row.openFiles;
        options.window = 16;
        clsDigestPool pool(options);
        EXPECT_GE(pool.Workers(), 1u);
        EXPECT_LE(pool.Workers(), std::min(row.workers, 64u));
        EXPECT_LE(pool.BufferBytes(), std::max<std::size_t>(row.memory, 64u << 10));
        if (row.openFiles > 0) {
            EXPECT_LE(pool.OpenFilesAtMost(), row.openFiles);
        }
        // Whatever the cut, it hashes.
        TempFolder folder;
        const std::string path = folder.Write("abc", "abc");
        pool.Start({{path, DigestKind::MD5, 3}, {path, DigestKind::CRC32, 3}});
        EXPECT_EQ(pool.Take(0).digest, "900150983cd24fb0d6963f7d28e17f72");
        EXPECT_EQ(pool.Take(1).digest, "352441C2");
    }
}

// A worker holding a small MD5 file in its lanes does not hash a large SHA-256 file listed after it to the end
// first: the large file is read a chunk at a time between the passes over the lanes.
TEST(DigestPoolLimits, SmallMD5FileIsNotHeldUpByALargeFileOfAnotherKind) {
    TempFolder folder;
    std::mt19937 random(7);
    const std::string small = WriteRandomFile(folder, "small.bin", 100, random);
    const std::string large = WriteRandomFile(folder, "large.bin", 8u << 20, random);
    clsDigestPool::Options options;
    options.workers = 1;
    clsDigestPool pool(options);
    if (pool.LanesPerWorker() < 2) {
        GTEST_SKIP() << "MD5 is hashed one file at a time here";
    }
    // The large file's reads past its first chunk wait until the small file's result is out, or 10 s.
    std::mutex mutex;
    std::condition_variable changed;
    bool smallTaken = false;
    bool heldUp = false;
    clsFileReader::SetFaultHook([&](const std::string& path, std::uint64_t offset) {
        if (path == large && offset > 0 && offset != clsFileReader::kOpening) {
            std::unique_lock lock(mutex);
            if (!heldUp) {
                heldUp = !changed.wait_for(lock, 10s, [&] { return smallTaken; });
            }
        }
        return 0;
    });
    pool.Start({{small, DigestKind::MD5, 100}, {large, DigestKind::SHA256, 8 << 20}});
    const DigestResult first = pool.Take(0);
    {
        std::lock_guard lock(mutex);
        smallTaken = true;
    }
    changed.notify_all();
    const DigestResult second = pool.Take(1);
    clsFileReader::SetFaultHook({});
    EXPECT_FALSE(heldUp) << "the MD5 file's result came only after the large file";
    EXPECT_EQ(first.digest, FileMD5(small));
    EXPECT_EQ(second.digest, FileSHA(large, ShaAlgorithm::SHA256));
    EXPECT_EQ(second.bytes, 8u << 20);
}

} // namespace
