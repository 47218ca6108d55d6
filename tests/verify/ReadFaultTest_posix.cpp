// Faults only POSIX systems show: special files under listed names, pseudo files whose length reads as 0, a
// process short of file descriptors, and what a run leaves behind.
#include "RecordingHost.h"
#include "TempFolder.h"
#include "digest/mdlAPIMD5.h"
#include "util/AppError.h"
#include "util/FileSystem.h"
#include "util/NumberFormat.h"
#include "util/clsStringList.h"
#include "verify/clsCheckRun.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <vector>

namespace {

std::size_t EntriesOf(const char* folder) {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) {
        ++count;
    }
    return count;
}

std::string ContentOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

class ReadFaultPosixTest : public ::testing::Test {
protected:
    TempFolder dir;
    RecordingHost host;
    clsCheckRun run{host, [](std::int64_t n) { return FormatGroupedByThousands(n); }};

    std::vector<std::string> Run(std::initializer_list<std::string> lists, const std::string& folder = "") {
        clsStringList drops;
        for (const std::string& list : lists) {
            drops.Add(list, -1);
        }
        run.CheckDropFiles(drops, folder);
        return host.lines;
    }
};

// A pipe or device under a listed name cannot be read to an end: ？ with the reason, never a hang. A folder
// is no file: ×.
TEST_F(ReadFaultPosixTest, SpecialFilesUnderListedNames) {
    ASSERT_EQ(::mkfifo(dir.File("pipe").c_str(), 0600), 0);
    std::filesystem::create_directory(dir.File("folder"));
    dir.Write("a", "hello\n");
    const std::string list =
        dir.Write("list.md5", kHelloMd5 + "  pipe\n" + kHelloMd5 + "  folder\n" + kHelloMd5 + "  a\n");
    EXPECT_EQ(Run({list}), Concat({{kHeavy, "？ pipe [読み取りエラー: 通常のファイルではありません]", "× folder",
                                    "○ a [" + kHelloMd5 + "]"},
                                   Summary(1, 0, 0, 1, 1),
                                   {kHeavy, kEnd}}));
}

// Pseudo files report a length of 0 and hold data: they are read to their real end, and a listed size is
// compared with the bytes read.
TEST_F(ReadFaultPosixTest, FilesWhoseLengthReadsAsZero) {
    const std::string path = "/proc/version";
    if (!std::filesystem::exists(path) || std::filesystem::file_size(path) != 0) {
        GTEST_SKIP() << "no procfs file of length 0 here";
    }
    const std::string content = ContentOf(path);
    ASSERT_FALSE(content.empty());
    const std::string md5 = FileMD5(dir.Write("copy", content));
    const struct {
        std::string line;
        std::string expected;
    } rows[] = {
        {"version " + md5, "○ version [" + md5 + "]"},
        {"version " + md5 + " " + std::to_string(content.size()), "○ version [" + md5 + "]"},
        {"version " + md5 + " " + std::to_string(content.size() + 1), "△ version"},
        {"version 0123456789abcdef0123456789abcdef", "▲ version [0123456789abcdef0123456789abcdef]"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        EXPECT_EQ(Run({dir.Write("list.lst", row.line + "\n")}, "/proc")[1], row.expected);
    }
}

// Far more workers than descriptors: however the limit is set, every readable file is read, none fails for
// want of a descriptor.
TEST_F(ReadFaultPosixTest, FewFileDescriptorsManyWorkers) {
    std::mt19937 random(3);
    std::string list;
    std::vector<std::string> expected{kHeavy};
    for (int i = 0; i < 600; ++i) {
        std::string bytes(100 + random() % 5000, '\0');
        for (char& byte : bytes) {
            byte = static_cast<char>(random());
        }
        const std::string name = std::to_string(i);
        const std::string md5 = FileMD5(dir.Write(name, bytes));
        list += md5 + "  " + name + "\n";
        expected.push_back("○ " + name + " [" + md5 + "]");
    }
    const std::string listPath = dir.Write("list.md5", list);
    OpenFileLimit(); // the raise at the first pool is done: the lower limit below stays
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    for (const rlim_t limit : {24, 64, 256}) {
        SCOPED_TRACE(limit);
        struct rlimit lowered = saved;
        lowered.rlim_cur = limit;
        ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &lowered), 0);
        run.setWorkers(80);
        const std::vector<std::string> lines = Run({listPath});
        ::setrlimit(RLIMIT_NOFILE, &saved);
        EXPECT_EQ(lines, Concat({expected, Summary(600, 0, 0, 0, 0), {kHeavy, kEnd}}));
    }
}

// However a run ends, done or stopped by an error, it leaves no worker thread and no open file behind.
TEST_F(ReadFaultPosixTest, NothingOutlivesARun) {
    std::string list;
    for (int i = 0; i < 200; ++i) {
        list += kHelloMd5 + "  " + std::to_string(i) + "\n";
        dir.Write(std::to_string(i), "hello\n");
    }
    const std::string good = dir.Write("good.md5", list);
    const std::size_t threads = EntriesOf("/proc/self/task");
    const std::size_t files = EntriesOf("/proc/self/fd");
    run.setWorkers(4);
    Run({good});
    EXPECT_EQ(EntriesOf("/proc/self/task"), threads);
    EXPECT_EQ(EntriesOf("/proc/self/fd"), files);
    EXPECT_THROW(Run({good, dir.File("no such list.md5")}), AppError);
    EXPECT_EQ(EntriesOf("/proc/self/task"), threads);
    EXPECT_EQ(EntriesOf("/proc/self/fd"), files);
}

} // namespace
