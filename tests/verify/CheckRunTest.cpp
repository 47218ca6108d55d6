// The verification run against real files in a temporary folder, through a recording host.
#include "RecordingHost.h"
#include "TempFolder.h"
#include "TestPlatform.h"
#include "util/AppError.h"
#include "util/NumberFormat.h"
#include "util/clsStringList.h"
#include "verify/ICheckHost.h"
#include "verify/clsCheckRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

class CheckRunTest : public ::testing::Test {
protected:
    TempFolder dir;
    RecordingHost host;
    clsCheckRun run{host, [](std::int64_t n) { return FormatGroupedByThousands(n); }};

    void Run(std::initializer_list<std::string> listPaths, const std::string& folder = "") {
        clsStringList drops;
        for (const auto& path : listPaths) {
            drops.Add(path, -1);
        }
        run.CheckDropFiles(drops, folder);
    }
};

TEST_F(CheckRunTest, OneListWithEveryOutcome) {
    for (const char* name : {"a.bin", "b.bin", "e.bin"}) {
        dir.Write(name, "hello\n");
    }
    Run({dir.Write("sums.crc", "a.bin " + kHelloCrc32 + " 6\r\nb.bin " + kHelloCrc32 +
                                   " 7\r\nc.txt 1234ABCD\r\ne.bin 0badF00d\r\n")});
    EXPECT_EQ(host.lines, Concat({{kHeavy, "○ a.bin [" + kHelloCrc32 + "]", "△ b.bin", "× c.txt", "▲ e.bin [0BADF00D]"},
                                  Summary(1, 1, 1, 1, 0),
                                  {kHeavy, kEnd}}));
    EXPECT_EQ(run.Totals().correct, 1);
    EXPECT_FALSE(run.Totals().AllCorrect());
}

TEST_F(CheckRunTest, EachEntryGivesItsLine) {
    dir.Write("hello.txt", "hello\n");
    dir.Write("empty.bin", "");
    std::filesystem::resize_file(dir.Write("big.iso", ""), 4294967296LL); // sparse: costs no disk
    std::filesystem::create_directory(dir.File("copy"));
    dir.Write("copy/only.txt", "hello\n");
    const struct {
        std::string listName;
        std::string content;
        std::string folder; // where the listed files are; the list's own folder when empty
        std::string expected;
    } rows[] = {
        {"one.lst", "hello.txt " + kHelloMd5, "", "○ hello.txt [" + kHelloMd5 + "]"},
        {"one.lst", "hello.txt B1946AC92492D2347C6235B4D2611184", "", "○ hello.txt [" + kHelloMd5 + "]"},
        {"one.lst", "hello.txt 363a3020", "", "○ hello.txt [363A3020]"},
        {"one.lst", "hello.txt " + kHelloCrc16, "", "○ hello.txt [" + kHelloCrc16 + "]"},
        {"one.lst", "hello.txt 0b55", "", "▲ hello.txt [0B55]"},
        {"one.lst", "hello.txt 00000000000000000000000000000000", "", "▲ hello.txt [00000000000000000000000000000000]"},
        // A CRC of zero is a result like any other: the empty file really has the CRC-32 00000000.
        {"one.lst", "empty.bin 00000000 0", "", "○ empty.bin [00000000]"},
        {"one.lst", "empty.bin d41d8cd98f00b204e9800998ecf8427e", "", "○ empty.bin [d41d8cd98f00b204e9800998ecf8427e]"},
        // The size is tested first, and only when listed; a wrong digest is not looked at then.
        {"one.lst", "hello.txt FFFFFFFF 5", "", "△ hello.txt"},
        {"one.lst", "big.iso 1234ABCD 4,294,967,297", "", "△ big.iso"},
        {"hello.txt.md5", "\n  " + kHelloMd5 + "  \n", "", "○ hello.txt [" + kHelloMd5 + "]"},
        {"one.lst", "only.txt " + kHelloMd5, "", "× only.txt"},
        {"one.lst", "only.txt " + kHelloMd5, dir.File("copy"), "○ only.txt [" + kHelloMd5 + "]"},
        {"one.lst", "only.txt " + kHelloMd5, dir.File("copy") + "/", "○ only.txt [" + kHelloMd5 + "]"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.content);
        Run({dir.Write(row.listName, row.content + "\n")}, row.folder);
        ASSERT_EQ(host.lines.size(), 10u);
        EXPECT_EQ(host.lines[1], row.expected);
    }
}

TEST_F(CheckRunTest, ListWithoutEntriesWritesOnlyTheClosingLines) {
    Run({dir.Write("notes.txt", "; nothing here\r\n\r\nname,12345678\r\n")});
    EXPECT_EQ(host.lines, (std::vector<std::string>{kHeavy, kEnd}));
    EXPECT_TRUE(run.Totals().AllCorrect());
}

TEST_F(CheckRunTest, TwoListsGiveTwoSectionsInDropOrder) {
    std::filesystem::create_directory(dir.File("one"));
    std::filesystem::create_directory(dir.File("two"));
    dir.Write("one/x.txt", "hello\n");
    const std::string first = dir.Write("one/first.md5", "x.txt " + kHelloMd5 + "\n");
    const std::string second = dir.Write("two/second.sfv", "x.txt " + kHelloCrc32 + "\n");
    Run({second, first});
    EXPECT_EQ(host.lines, Concat({{kHeavy, "× x.txt"},
                                  Summary(0, 0, 0, 1, 0),
                                  {kHeavy, "○ x.txt [" + kHelloMd5 + "]"},
                                  Summary(1, 0, 0, 0, 0),
                                  {kHeavy, kEnd}}));
}

TEST_F(CheckRunTest, NamesDifferingOnlyInLetterCaseAreFoundWhenUnique) {
    for (const char* name : {"ReadMe.TXT", "twin.txt", "TWIN.txt"}) {
        dir.Write(name, "hello\n");
    }
    std::filesystem::create_directory(dir.File("Folder.bin"));
    Run({dir.Write("c.md5", "README.txt " + kHelloMd5 + "\nTwin.TXT " + kHelloMd5 + "\nfolder.bin " + kHelloMd5)});
    EXPECT_EQ(host.lines[1], "○ README.txt [" + kHelloMd5 + "]"); // the line shows the name as listed
    if (OnWindows()) {
        // Windows file systems hold no two names that differ only in case: TWIN.txt replaced twin.txt,
        // and the system finds it under the listed spelling by itself.
        EXPECT_EQ(host.lines[2], "○ Twin.TXT [" + kHelloMd5 + "]");
    } else {
        EXPECT_EQ(host.lines[2], "× Twin.TXT"); // two candidates: no guessing
    }
    EXPECT_EQ(host.lines[3], "× folder.bin"); // a folder is not a file
}

// Lists from Japanese Windows systems: names in code page 932, two with 0x5C as a trail byte, looked up
// beside a list that lies in a folder with a Japanese name.
TEST_F(CheckRunTest, CodePage932NamesFindTheirFiles) {
    std::filesystem::create_directory(std::filesystem::u8path(dir.File("チェック")));
    dir.Write("チェック/ソース表.txt", "hello\n");
    dir.Write("チェック/検証データ①.bin", "hello\n");
    Run({dir.Write("チェック/一覧.md5", "\x83\x5C\x81\x5B\x83\x58\x95\x5C.txt " + kHelloMd5 +
                                            "\r\n\x8C\x9F\x8F\xD8\x83\x66\x81\x5B\x83\x5E\x87\x40.bin " + kHelloCrc32 +
                                            "\r\n\x8C\x9F\x8F\xD8.bin 1234\r\n")});
    EXPECT_EQ(host.lines,
              Concat({{kHeavy, "○ ソース表.txt [" + kHelloMd5 + "]", "○ 検証データ①.bin [363A3020]", "× 検証.bin"},
                      Summary(2, 0, 0, 1, 0),
                      {kHeavy, kEnd}}));
}

TEST_F(CheckRunTest, HostSeesBusyClearYieldPerEntryThenIdle) {
    dir.Write("a", "hello\n");
    Run({dir.Write("l.sfv", "a 363A3020\nb 363A3020\n")});
    const std::vector<std::string> expected = {"busy", "clear", "log", "yield",       "log", "yield",
                                               "log",  "log",   "log", "log",         "log", "log",
                                               "log",  "log",   "log", "select-last", "idle"};
    EXPECT_EQ(host.events, expected);
}

TEST_F(CheckRunTest, ErrorStopsTheRunAndLeavesTheDropBoxBusy) {
    dir.Write("a", "hello\n");
    const std::string good = dir.Write("good.sfv", "a 363A3020\n");
    const std::string duplicate = dir.Write("dup.sfv", "a 363A3020\na 363A3020\n");
    const std::string never = dir.Write("never.sfv", "a 363A3020\n");
    const struct {
        std::string path;
        std::int32_t number;
    } rows[] = {
        {duplicate, ErrorNumber::DuplicateKey},
        {dir.File("missing.sfv"), 2},
        {dir.Path(), OnWindows() ? 5 : 21}, // a folder: access denied on Windows, EISDIR elsewhere
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        host.events.clear();
        try {
            Run({good, row.path, never});
            FAIL() << "the run should have stopped";
        } catch (const AppError& error) {
            EXPECT_EQ(error.Number(), row.number);
            EXPECT_NE(error.Description().find(row.path), std::string::npos) << error.Description();
        }
        EXPECT_EQ(host.lines, Concat({{kHeavy, "○ a [363A3020]"}, Summary(1, 0, 0, 0, 0)}));
        EXPECT_EQ(host.events.back(), "log");
        EXPECT_EQ(std::count(host.events.begin(), host.events.end(), "idle"), 0);
    }
}

TEST_F(CheckRunTest, CancelStopsAtTheNextEntryWithTheSummaryOfTheEntriesDone) {
    dir.Write("a", "hello\n");
    const std::string first = dir.Write("first.sfv", "a 363A3020\nb 363A3020\na.bak 363A3020\nc 363A3020\n");
    const std::string second = dir.Write("second.sfv", "a 363A3020\n");
    for (int entriesDone : {0, 2}) {
        SCOPED_TRACE(entriesDone);
        int yields = 0;
        host.onYield = [&] {
            if (yields++ == entriesDone) {
                run.Cancel(); // as from the window's thread, while the run works on
            }
        };
        host.events.clear();
        Run({first, second});
        const std::vector<std::string> done = {"○ a [363A3020]", "× b"};
        std::vector<std::string> expected{kHeavy};
        expected.insert(expected.end(), done.begin(), done.begin() + entriesDone);
        const auto summary = Summary(entriesDone > 0 ? 1 : 0, 0, 0, entriesDone > 1 ? 1 : 0, 0);
        expected.insert(expected.end(), summary.begin(), summary.end());
        expected.insert(expected.end(), {kHeavy, "チェックを中止しました。"});
        EXPECT_EQ(host.lines, expected);
        EXPECT_TRUE(run.Stopped());
        EXPECT_EQ(host.events.back(), "idle");
    }
    host.onYield = [] {};
    Run({second}); // the next run starts afresh
    EXPECT_FALSE(run.Stopped());
    EXPECT_EQ(host.lines.back(), kEnd);
}

TEST_F(CheckRunTest, SummaryCountsUseTheGivenGrouping) {
    std::string list;
    for (int i = 0; i < 1234; ++i) {
        list += "missing" + std::to_string(i) + " 1234\n";
    }
    Run({dir.Write("many.crc", list)});
    EXPECT_EQ(host.lines[1234 + 5], "×: 1,234 (存在しない)");
    EXPECT_EQ(run.Totals().missing, 1234);
}

} // namespace
