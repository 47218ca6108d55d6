// Listed names as the file system sees them: names that differ in letter case, names listed twice, and the
// look-up ignoring case that never takes a file the list names itself.
#include "RecordingHost.h"
#include "TempFolder.h"
#include "TestPlatform.h"
#include "digest/mdlAPIMD5.h"
#include "digest/mdlAPISHA.h"
#include "util/NumberFormat.h"
#include "util/clsFileReader.h"
#include "util/clsStringList.h"
#include "verify/clsCheckRun.h"

#include <gtest/gtest.h>

#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace {

class ListedNamesTest : public ::testing::Test {
protected:
    TempFolder dir;
    RecordingHost host;
    clsCheckRun run{host, [](std::int64_t n) { return FormatGroupedByThousands(n); }};

    std::vector<std::string> Run(const std::string& list) {
        clsStringList drops;
        drops.Add(list, -1);
        run.CheckDropFiles(drops, "");
        return host.lines;
    }
};

// Two names that differ in letter case are two files where the file system keeps them apart; a name that
// exists only in another case is found, unless the list names that other file itself.
TEST_F(ListedNamesTest, LetterCase) {
    if (OnWindows()) {
        GTEST_SKIP() << "one file whatever the letter case on Windows";
    }
    std::filesystem::create_directory(dir.File("inc"));
    const std::string upper = dir.Write("inc/xt_CONNMARK.h", "upper\n");
    const std::string lower = dir.Write("inc/xt_connmark.h", "lower\n");
    dir.Write("inc/Only.h", "hello\n");
    const std::string upperMd5 = FileMD5(upper);
    const std::string lowerMd5 = FileMD5(lower);
    const struct {
        std::string list;
        std::vector<std::string> lines;
    } rows[] = {
        // Both there: each its own file.
        {upperMd5 + "  inc/xt_CONNMARK.h\n" + lowerMd5 + "  inc/xt_connmark.h\n",
         {"○ inc/xt_CONNMARK.h [" + upperMd5 + "]", "○ inc/xt_connmark.h [" + lowerMd5 + "]"}},
        {"xt_CONNMARK.h " + upperMd5 + "\nxt_connmark.h " + lowerMd5 + "\n", {"× xt_CONNMARK.h", "× xt_connmark.h"}},
        // Listed in another case only: the one file of that name ignoring case is the one meant; of two, neither.
        {kHelloMd5 + "  INC/ONLY.H\n", {"○ INC/ONLY.H [" + kHelloMd5 + "]"}},
        {upperMd5 + "  inc/XT_connmark.H\n", {"× inc/XT_connmark.H"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.list);
        const std::vector<std::string> lines = Run(dir.Write("list.md5", row.list));
        EXPECT_EQ(std::vector<std::string>(lines.begin() + 1, lines.begin() + 1 + row.lines.size()), row.lines);
    }
    // The upper-case file gone: its name is missing, not the lower-case file with another digest.
    std::filesystem::remove(upper);
    const std::vector<std::string> lines =
        Run(dir.Write("list.md5", upperMd5 + "  inc/xt_CONNMARK.h\n" + lowerMd5 + "  inc/xt_connmark.h\n"));
    EXPECT_EQ(lines[1], "× inc/xt_CONNMARK.h");
    EXPECT_EQ(lines[2], "○ inc/xt_connmark.h [" + lowerMd5 + "]");
}

// A tool's list naming one file on two lines (text and binary mode, or two lists joined) checks it on each
// line, and reads it once for each digest it is listed with.
TEST_F(ListedNamesTest, NameListedTwiceIsReadOnce) {
    const std::string file = dir.Write("a.bin", "hello\n");
    const std::string sha1 = FileSHA(file, ShaAlgorithm::SHA1);
    std::mutex mutex;
    std::map<std::string, int> opens;
    clsFileReader::SetFaultHook([&](const std::string& path, std::uint64_t offset) {
        if (offset == clsFileReader::kOpening) {
            std::lock_guard lock(mutex);
            ++opens[path];
        }
        return 0;
    });
    const std::vector<std::string> lines = Run(dir.Write(
        "sums.txt", kHelloMd5 + "  a.bin\n" + sha1 + "  a.bin\n" + kHelloMd5 + " *a.bin\n" + kHelloMd5 + "  a.bin\n"));
    clsFileReader::SetFaultHook({});
    EXPECT_EQ(lines, Concat({{kHeavy, "○ a.bin [" + kHelloMd5 + "]", "○ a.bin [" + sha1 + "]",
                              "○ a.bin [" + kHelloMd5 + "]", "○ a.bin [" + kHelloMd5 + "]"},
                             Summary(4, 0, 0, 0, 0),
                             {kHeavy, kEnd}}));
    EXPECT_EQ(opens[file], 2); // once for MD5, once for SHA-1
}

} // namespace
