// The run on lists beyond the original form: SHA digests, tool formats, encodings and ambiguous lines.
#include "TempFolder.h"
#include "TestPlatform.h"
#include "util/NumberFormat.h"
#include "util/clsStringList.h"
#include "verify/ICheckHost.h"
#include "verify/clsCheckRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace {

class LinesHost : public ICheckHost {
public:
    std::vector<std::string> lines;
    std::vector<std::string> empty; // lists that gave no entry

    void AddLog(const std::string& line) override { lines.push_back(line); }
    void ClearLog() override { lines.clear(); }
    void DoEvents() override {}
    void SetDropBoxBusy(bool) override {}
    void SelectLastLogLine() override {}
    void ListHasNoEntries(const std::string& listPath) override { empty.push_back(listPath); }
};

// Digests of "hello\n".
const std::string kSha[] = {
    "f572d396fae9206628714fb2ce00f72e94f2258f", "2d6d67d91d0badcdd06cbbba1fe11538a68a37ec9c2e26457ceff12b",
    "5891b5b522d5df086d0ff0b110fbd9d21bb4fc7163af34d08286a2e846f6be03",
    "1d0f284efe3edea4b9ca3bd514fa134b17eae361ccc7a1eefeff801b9bd6604e01f21f6bf249ef030599f0c218f2ba8c",
    "e7c22b994c59d9cf2b48e549b1e24666636045930d3da7c1acb299d1c3b7f931f94aae41edda2c2b207a36e10f8bcb8d45223e54878f5b31"
    "6e7ce3b6bc019629"};

class CheckRunFormatsTest : public ::testing::Test {
protected:
    TempFolder dir;
    LinesHost host;
    clsCheckRun run{host, [](std::int64_t n) { return FormatGroupedByThousands(n); }};

    // The entry lines of one list (between the heavy separator and the light one); none for a list without
    // entries, which writes only the two closing lines.
    std::vector<std::string> Check(const std::string& listPath, const std::string& folder = "") {
        clsStringList drops;
        drops.Add(listPath, -1);
        run.CheckDropFiles(drops, folder);
        const auto light = std::find(host.lines.begin(), host.lines.end(), std::string(40, '-'));
        if (light == host.lines.end()) {
            EXPECT_EQ(host.lines.size(), 2u);
            return {};
        }
        return {host.lines.begin() + 1, light};
    }
};

TEST_F(CheckRunFormatsTest, ListsWithoutEntriesAreToldToTheHost) {
    dir.Write("a.txt", "hello\n");
    const std::string good = dir.Write("good.sfv", "a.txt 363A3020\n");
    const std::string prose = dir.Write("notes.txt", "Read me first.\n");
    const std::string empty = dir.Write("empty.md5", "");
    clsStringList drops;
    for (const std::string& list : {prose, good, empty}) {
        drops.Add(list, -1);
    }
    run.CheckDropFiles(drops, "");
    EXPECT_EQ(host.empty, (std::vector<std::string>{prose, empty}));
    EXPECT_EQ(run.Totals().listsWithoutEntries, 2);
    EXPECT_TRUE(run.Totals().AllCorrect());
    EXPECT_EQ(host.lines.size(), 10u); // one section; the log says nothing of the other two
}

TEST_F(CheckRunFormatsTest, ShaSidecarFiles) {
    dir.Write("hello.txt", "hello\n");
    const char* extensions[] = {".sha1", ".sha224", ".sha256", ".sha384", ".sha512"};
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(extensions[i]);
        std::string upper = kSha[i];
        for (char& c : upper) {
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
        std::string changed = kSha[i];
        changed[7] = changed[7] == '0' ? '1' : '0';
        EXPECT_EQ(Check(dir.Write(std::string("hello.txt") + extensions[i], upper + "\r\n")),
                  std::vector<std::string>{"○ hello.txt [" + kSha[i] + "]"});
        EXPECT_EQ(Check(dir.Write(std::string("hello.txt") + extensions[i], "\n " + changed)),
                  std::vector<std::string>{"▲ hello.txt [" + changed + "]"});
        EXPECT_EQ(Check(dir.Write(std::string("gone.bin") + extensions[i], kSha[i])),
                  std::vector<std::string>{"× gone.bin"});
    }
    // Widths of no digest, and a digest with a name in front, are no single-digest file.
    EXPECT_EQ(Check(dir.Write("hello.txt.sha", kSha[2].substr(1))), std::vector<std::string>{});
    EXPECT_EQ(Check(dir.Write("hello.txt.sha", kSha[2] + "0")), std::vector<std::string>{});
}

// A line that also reads another way is checked that way only when its first reading names no file and the
// other one does; the line shows the name and digest of the reading checked.
TEST_F(CheckRunFormatsTest, AmbiguousLinesCheckTheReadingThatNamesAFile) {
    const std::string md5 = "b1946ac92492d2347c6235b4d2611184"; // "hello\n"
    const std::string zeros = "F6C5DF3B";                       // CRC-32 of 12,345,678 zero bytes (Python's zlib)
    const struct {
        std::vector<std::pair<std::string, std::int64_t>> files; // zero-filled files and their sizes
        std::string line;
        std::string expected;
    } rows[] = {
        {{{"data.zip", 12345678}}, "data.zip " + zeros + " 12345678", "○ data.zip [" + zeros + "]"},
        {{{"data.zip", 12345678}}, "data.zip 1A2B3C4D 12345678", "▲ data.zip [1A2B3C4D]"},
        {{{"data.zip", 12345679}}, "data.zip 1A2B3C4D 12345678", "△ data.zip"},
        {{{"DATA.ZIP", 12345678}}, "data.zip " + zeros + " 12345678", "○ data.zip [" + zeros + "]"},
        {{{"data.zip", 12345678}, {"data.zip 1A2B3C4D", 0}},
         "data.zip 1A2B3C4D 12345678",
         "▲ data.zip 1A2B3C4D [12345678]"},
        {{}, "data.zip 1A2B3C4D 12345678", "× data.zip 1A2B3C4D"},
        {{{"1234abcd", 6}}, md5 + "  1234abcd", "▲ 1234abcd [" + md5 + "]"},
        {{{"1234abcd", 6}, {md5, 0}}, md5 + "  1234abcd", "▲ " + md5 + " [1234ABCD]"},
        {{}, md5 + "  1234abcd", "× " + md5},
        {{{"a.txt", 6}}, "MD5 (a.txt) = " + md5, "▲ a.txt [" + md5 + "]"},
        {{}, "MD5 (a.txt) = " + md5, "× MD5 (a.txt) ="},
        // Bytes C3 BD are ý in UTF-8 and ﾃｽ in code page 932: a list of them alone is taken for UTF-8,
        // and read in code page 932 too.
        {{{"ﾃｽ.txt", 0}}, "\xC3\xBD.txt 00000000", "○ ﾃｽ.txt [00000000]"},
        {{{"ý.txt", 0}, {"ﾃｽ.txt", 0}}, "\xC3\xBD.txt 00000000", "○ ý.txt [00000000]"},
        {{}, "\xC3\xBD.txt 00000000", "× ý.txt"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        TempFolder folder;
        for (const auto& [name, size] : row.files) {
            std::filesystem::resize_file(std::filesystem::u8path(folder.Write(name, "")),
                                         static_cast<std::uintmax_t>(size));
        }
        if (OnWindows() && row.files.size() == 1 && row.files[0].first == "DATA.ZIP") {
            continue; // the same file there
        }
        EXPECT_EQ(Check(folder.Write("list.sfv", row.line + "\r\n")), std::vector<std::string>{row.expected});
    }
}

TEST_F(CheckRunFormatsTest, NamesWithFoldersFromToolLists) {
    const std::string md5 = "b1946ac92492d2347c6235b4d2611184";
    std::filesystem::create_directories(dir.File("lists/Sub/deeper"));
    std::filesystem::create_directories(dir.File("lists/Case"));
    dir.Write("lists/Case/File.txt", "hello\n");
    std::filesystem::create_directories(dir.File("copy/Sub"));
    dir.Write("lists/Sub/inner.txt", "hello\n");
    dir.Write("lists/Sub/deeper/x.txt", "hello\n");
    dir.Write("up.txt", "hello\n");
    dir.Write("copy/Sub/inner.txt", "hello\n");
    const std::string list = dir.Write("lists/sums.md5", md5 + "  Sub/inner.txt\n" + md5 + " *Sub\\deeper\\x.txt\n" +
                                                             md5 + "  case/FILE.txt\n" + md5 + "  ../up.txt\n" +
                                                             "MD5 (./Sub//deeper/x.txt) = " + md5 + "\n" + md5 +
                                                             "  Sub/missing.txt\n" + md5 + "  nowhere/x.txt\n");
    EXPECT_EQ(Check(list), (std::vector<std::string>{
                               "○ Sub/inner.txt [" + md5 + "]", "○ Sub\\deeper\\x.txt [" + md5 + "]",
                               "○ case/FILE.txt [" + md5 + "]", "○ ../up.txt [" + md5 + "]",
                               "○ ./Sub//deeper/x.txt [" + md5 + "]", "× Sub/missing.txt", "× nowhere/x.txt"}));
    // Against a chosen folder the names are relative to it.
    const std::vector<std::string> copy = Check(list, dir.File("copy"));
    EXPECT_EQ(copy[0], "○ Sub/inner.txt [" + md5 + "]");
    EXPECT_EQ(copy[1], "× Sub\\deeper\\x.txt");
}

TEST_F(CheckRunFormatsTest, EscapedLineBreaksAreShownEscaped) {
    const std::string md5 = "b1946ac92492d2347c6235b4d2611184";
    EXPECT_EQ(Check(dir.Write("l.md5", "\\" + md5 + "  a\\nb\\\\c\n\\MD5 (d\\re) = " + md5 + "\n")),
              (std::vector<std::string>{"× a\\nb\\c", "× d\\re"}));
}

} // namespace
