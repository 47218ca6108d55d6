// ferrule-check as a user runs it: arguments, standard output, standard error and the exit status.
// Runs the program through a POSIX shell, so it is built for POSIX systems only.
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>

namespace {

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Quote(const std::string& arg) {
    std::string quoted = "'";
    for (char c : arg) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

class FerruleCheckTest : public ::testing::Test {
protected:
    TempFolder dir;

    // Runs ferrule-check in the temporary folder; LC_ALL=C pins the digit grouping of the summary.
    Result Check(std::initializer_list<std::string> args) {
        // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) about "literal" + std::string&&.
        std::string command = "cd ";
        command += Quote(dir.Path());
        command += " && LC_ALL=C ";
        command += Quote(FERRULE_CHECK_PATH);
        for (const auto& arg : args) {
            command += ' ';
            command += Quote(arg);
        }
        command += " >";
        command += Quote(dir.File(".out"));
        command += " 2>";
        command += Quote(dir.File(".err"));
        const int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Slurp(dir.File(".out")), Slurp(dir.File(".err"))};
    }
};

const std::string kHelloMd5 = "b1946ac92492d2347c6235b4d2611184"; // MD5 of "hello\n"
const std::string kSummaryTail = "----------------------------------------\n";

TEST_F(FerruleCheckTest, ExitStatusTellsWhetherEverythingIsCorrect) {
    dir.Write("a.txt", "hello\n");
    dir.Write("good.md5", "a.txt " + kHelloMd5 + "\n");
    dir.Write("bad.md5", "a.txt " + kHelloMd5 + " 7\n");
    dir.Write("empty.md5", "");
    const struct {
        std::string list;
        int status;
        std::string firstEntry;
    } rows[] = {
        {"good.md5", 0, "○ a.txt [" + kHelloMd5 + "]"},
        {"bad.md5", 1, "△ a.txt"},
        {"empty.md5", 0, "チェックを終了しました。"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.list);
        const Result result = Check({row.list});
        EXPECT_EQ(result.status, row.status);
        EXPECT_EQ(result.err, "");
        EXPECT_NE(result.out.find(row.firstEntry + "\n"), std::string::npos) << result.out;
    }
}

TEST_F(FerruleCheckTest, PrintsExactlyTheLogLines) {
    dir.Write("a.txt", "hello\n");
    dir.Write("sums.md5", "a.txt " + kHelloMd5 + "\r\nb.txt " + kHelloMd5 + "\r\n");
    const Result result = Check({"sums.md5"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, std::string(40, '=') + "\n○ a.txt [" + kHelloMd5 + "]\n× b.txt\n" + kSummaryTail +
                              "○: 1 (正常)\n△: 0 (サイズが不一致)\n▲: 0 (CRC/MDが不一致)\n×: 1 (存在しない)\n"
                              "？: 0 (不明なエラー)\n" +
                              std::string(40, '=') + "\nチェックを終了しました。\n");
}

TEST_F(FerruleCheckTest, FolderOptionPointsAtAnotherFolder) {
    std::filesystem::create_directory(dir.File("copy"));
    dir.Write("copy/a.txt", "hello\n");
    dir.Write("sums.md5", "a.txt " + kHelloMd5 + "\n");
    for (const auto& args : {std::initializer_list<std::string>{"--folder", "copy", "sums.md5"},
                             std::initializer_list<std::string>{"--folder=copy", "sums.md5"},
                             std::initializer_list<std::string>{"-f", dir.File("copy"), "sums.md5"}}) {
        const Result result = Check(args);
        EXPECT_EQ(result.status, 0) << result.out << result.err;
    }
}

TEST_F(FerruleCheckTest, ErrorStopsWithStatusTwoKeepingEarlierLines) {
    dir.Write("a.txt", "hello\n");
    dir.Write("good.md5", "a.txt " + kHelloMd5 + "\n");
    dir.Write("dup.md5", "a.txt " + kHelloMd5 + "\nA.TXT " + kHelloMd5 + "\n");
    const Result result = Check({"good.md5", "dup.md5", "good.md5"});
    EXPECT_EQ(result.status, 2);
    EXPECT_TRUE(result.err.starts_with("ferrule-check: ")) << result.err;
    EXPECT_NE(result.err.find("dup.md5"), std::string::npos) << result.err;
    EXPECT_TRUE(result.out.ends_with("？: 0 (不明なエラー)\n")) << result.out;

    const Result missing = Check({"nothing.md5"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("nothing.md5"), std::string::npos) << missing.err;
}

TEST_F(FerruleCheckTest, CommandLineMistakesAndInformation) {
    const struct {
        std::initializer_list<std::string> args;
        int status;
        std::string inOut;
        std::string inErr;
    } rows[] = {
        {{"--version"}, 0, "ferrule-check 1.01.0003\n", ""},
        {{"--help"}, 0, "Usage: ferrule-check", ""},
        {{}, 2, "", "no checksum list"},
        {{"--folder"}, 2, "", "needs a folder"},
        {{"--bogus", "x.md5"}, 2, "", "unknown option '--bogus'"},
    };
    for (const auto& row : rows) {
        const Result result = Check(row.args);
        EXPECT_EQ(result.status, row.status);
        EXPECT_NE(result.out.find(row.inOut), std::string::npos) << result.out;
        EXPECT_NE(result.err.find(row.inErr), std::string::npos) << result.err;
    }
}

TEST_F(FerruleCheckTest, ListNamedLikeAnOptionAfterDoubleDash) {
    dir.Write("a.txt", "hello\n");
    dir.Write("-odd.md5", "a.txt " + kHelloMd5 + "\n");
    EXPECT_EQ(Check({"--", "-odd.md5"}).status, 0);
}

} // namespace
