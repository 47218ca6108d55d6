// Files that fail while they are read: each gets its own line with the reason, and the run goes on.
#include "RecordingHost.h"
#include "TempFolder.h"
#include "TestPlatform.h"
#include "digest/mdlAPICRC32.h"
#include "digest/mdlAPIMD5.h"
#include "digest/mdlAPISHA.h"
#include "util/AppError.h"
#include "util/FileSystem.h"
#include "util/NumberFormat.h"
#include "util/clsFileReader.h"
#include "util/clsStringList.h"
#include "verify/clsCheckRun.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <new>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr int kIoError = 5; // EIO on Linux; the reason of another number is then the system's own text

// The reader's fault hook for one test: cleared again whatever the test's end.
class FaultHook {
public:
    explicit FaultHook(clsFileReader::FaultHook hook) { clsFileReader::SetFaultHook(std::move(hook)); }
    ~FaultHook() { clsFileReader::SetFaultHook({}); }
    FaultHook(const FaultHook&) = delete;
    FaultHook& operator=(const FaultHook&) = delete;
};

std::string RandomBytes(std::size_t size, std::mt19937& random) {
    std::string bytes(size, '\0');
    for (char& byte : bytes) {
        byte = static_cast<char>(random());
    }
    return bytes;
}

class ReadFaultTest : public ::testing::Test {
protected:
    TempFolder dir;
    RecordingHost host;
    clsCheckRun run{host, [](std::int64_t n) { return FormatGroupedByThousands(n); }};
    std::mt19937 random{16};

    std::vector<std::string> Run(const std::string& list, unsigned workers) {
        run.setWorkers(workers);
        clsStringList drops;
        drops.Add(list, -1);
        run.CheckDropFiles(drops, "");
        return host.lines;
    }
};

// One read error in each way a file is hashed: in the MD5 lanes, as one stream, and in parts shared by workers
// (a large CRC file); before its first byte, midway, and at its last read. The files around it are checked as
// usual, and the file's line names the reason.
TEST_F(ReadFaultTest, ReadErrorIsTheFilesOwnOutcome) {
    const std::string before = dir.Write("before.bin", RandomBytes(3000, random));
    const std::string after = dir.Write("after.bin", RandomBytes(300000, random));
    const struct {
        const char* kind;
        std::size_t size;
        std::uint64_t failAt; // reads from this offset on fail; clsFileReader::kOpening: the open
    } rows[] = {
        {"md5", 200000, clsFileReader::kOpening},
        {"md5", 1500000, 0},
        {"md5", 1500000, 262144}, // past the first chunk of lanes and of one stream alike
        {"sha256", 3000000, 1048576},
        {"crc32", 2000, 0},
        {"crc32", 70u << 20, 40u << 20}, // parts of 32 MiB: the second part fails
        {"crc32", 70u << 20, 0},
    };
    for (const auto& row : rows) {
        const std::string bad = dir.Write("bad.bin", RandomBytes(row.size, random));
        std::string digest;
        if (std::string(row.kind) == "md5") {
            digest = FileMD5(bad);
        } else if (std::string(row.kind) == "sha256") {
            digest = FileSHA(bad, ShaAlgorithm::SHA256);
        } else {
            digest = FileCRC32(bad);
        }
        const std::string list = dir.Write("list.txt", FileMD5(before) + "  before.bin\n" + digest + "  bad.bin\n" +
                                                           FileMD5(after) + "  after.bin\n");
        // The first read at or past the offset fails, whatever the chunks of this build's engine.
        const FaultHook hook([&](const std::string& path, std::uint64_t offset) {
            const bool opening = offset == clsFileReader::kOpening;
            return path == bad && (row.failAt == clsFileReader::kOpening ? opening : !opening && offset >= row.failAt)
                       ? kIoError
                       : 0;
        });
        for (const unsigned workers : {1u, 2u, 16u}) {
            SCOPED_TRACE(std::string(row.kind) + " " + std::to_string(row.size) + " at " + std::to_string(row.failAt) +
                         ", workers " + std::to_string(workers));
            const std::vector<std::string> lines = Run(list, workers);
            EXPECT_EQ(lines, Concat({{kHeavy, "○ before.bin [" + FileMD5(before) + "]",
                                      "？ bad.bin [読み取りエラー: " + ReadErrorReason(kIoError) + "]",
                                      "○ after.bin [" + FileMD5(after) + "]"},
                                     Summary(2, 0, 0, 0, 1),
                                     {kHeavy, kEnd}}));
            EXPECT_FALSE(run.Totals().AllCorrect());
        }
    }
}

// Whatever a worker meets while it reads, an error of the program or no memory, ends as that file's line.
TEST_F(ReadFaultTest, ErrorsThrownWhileReadingAreTheFilesOutcome) {
    const std::string good = dir.Write("good.bin", RandomBytes(5000, random));
    // More than one chunk of every engine: a read past the first is asked for whatever the engine.
    const std::string bad = dir.Write("bad.bin", RandomBytes(3000000, random));
    const std::string list = dir.Write("list.txt", FileMD5(good) + "  good.bin\n" + FileMD5(bad) + "  bad.bin\n" +
                                                       FileCRC32(bad) + "  bad.bin\n");
    const struct {
        std::function<void()> raise;
        std::string reason;
    } rows[] = {
        {[] { throw std::bad_alloc(); }, "メモリが足りません"},
        {[] { RaiseError(ErrorNumber::DigestFailed, "MD5の算出に失敗しました。"); }, "MD5の算出に失敗しました。"},
    };
    for (const auto& row : rows) {
        const FaultHook hook([&](const std::string& path, std::uint64_t offset) {
            if (path == bad && offset > 0 && offset != clsFileReader::kOpening) {
                row.raise();
            }
            return 0;
        });
        for (const unsigned workers : {1u, 2u}) {
            SCOPED_TRACE(row.reason + ", workers " + std::to_string(workers));
            const std::vector<std::string> lines = Run(list, workers);
            ASSERT_EQ(lines.size(), 12u);
            EXPECT_EQ(lines[1], "○ good.bin [" + FileMD5(good) + "]");
            EXPECT_EQ(lines[2], "？ bad.bin [" + row.reason + "]");
            EXPECT_EQ(lines[3], "？ bad.bin [" + row.reason + "]");
            EXPECT_EQ(lines.back(), kEnd);
        }
    }
}

// A file whose length changes between the look-up and the end of its reading is not the file that was looked
// up: neither a digest that matches nor one that differs can be told of it.
TEST_F(ReadFaultTest, FileTruncatedOrGrownWhileReadIsUndetermined) {
    if (OnWindows()) {
        GTEST_SKIP() << "Windows lets nobody write a file while Ferrule reads it";
    }
    const std::string bytes = RandomBytes(3u << 20, random);
    const struct {
        const char* name;
        std::uintmax_t newLength;
    } rows[] = {{"truncated", 1u << 20}, {"grown", 4u << 20}, {"emptied", 0}};
    for (const auto& row : rows) {
        for (const char* kind : {"md5", "crc32"}) {
            SCOPED_TRACE(std::string(row.name) + " " + kind);
            const std::string file = dir.Write("file.bin", bytes);
            const std::string digest = std::string(kind) == "md5" ? FileMD5(file) : FileCRC32(file);
            const std::string list = dir.Write("list.txt", digest + "  file.bin\n");
            std::atomic<bool> changed{false};
            const FaultHook hook([&](const std::string& path, std::uint64_t offset) {
                if (path == file && offset > 0 && offset != clsFileReader::kOpening && !changed.exchange(true)) {
                    std::filesystem::resize_file(path, row.newLength);
                }
                return 0;
            });
            const std::vector<std::string> lines = Run(list, 2);
            ASSERT_TRUE(changed);
            EXPECT_EQ(lines[1], "？ file.bin [読み取りエラー: " + ReadErrorReason(ReadError::SizeChanged) + "]");
        }
    }
}

// A list of a thousand files of which ten cannot be read: 990 lines as usual and ten ？ lines, in list order,
// whatever the number of workers.
TEST_F(ReadFaultTest, ThousandFilesTenUnreadable) {
    std::string list;
    std::set<std::string> unreadable;
    std::vector<std::string> expected{kHeavy};
    for (int i = 0; i < 1000; ++i) {
        const std::string name = std::to_string(i) + ".bin";
        const std::string path = dir.Write(name, RandomBytes(100 + random() % 100000, random));
        const bool crc = i % 3 == 0;
        const std::string digest = crc ? FileCRC32(path) : FileMD5(path);
        list += digest + "  " + name + "\n";
        if (i % 100 == 13) {
            unreadable.insert(path);
            expected.push_back("？ " + name + " [読み取りエラー: " + ReadErrorReason(kIoError) + "]");
        } else {
            expected.push_back("○ " + name + " [" + digest + "]");
        }
    }
    ASSERT_EQ(unreadable.size(), 10u);
    const std::string listPath = dir.Write("list.txt", list);
    const FaultHook hook([&](const std::string& path, std::uint64_t offset) {
        return unreadable.count(path) > 0 && offset == 0 ? kIoError : 0;
    });
    const std::vector<std::string> all = Concat({expected, Summary(990, 0, 0, 0, 10), {kHeavy, kEnd}});
    for (const unsigned workers : {1u, 2u, 16u}) {
        SCOPED_TRACE(workers);
        EXPECT_EQ(Run(listPath, workers), all);
    }
}

// A stop asked for before the run gets to the list (a drop, then Esc at once) holds: the list's section is
// written with nothing done, and the run says it was stopped.
TEST_F(ReadFaultTest, StopBeforeTheFirstEntryIsKept) {
    dir.Write("a.bin", "hello\n");
    const std::string list = dir.Write("list.txt", kHelloMd5 + "  a.bin\n");
    run.Cancel();
    EXPECT_EQ(Run(list, 2), Concat({{kHeavy}, Summary(0, 0, 0, 0, 0), {kHeavy, "チェックを中止しました。"}}));
    EXPECT_TRUE(run.Stopped());
    EXPECT_EQ(Run(list, 2).back(), kEnd); // the stop went with the run it stopped
}

} // namespace
