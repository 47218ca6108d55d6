// ferrule-check as a user runs it: arguments, standard output, standard error and the exit status.
#include "RunChecker.h"
#include "TempFolder.h"
#include "TestPlatform.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

const std::string kHelloMd5 = "b1946ac92492d2347c6235b4d2611184"; // MD5 of "hello\n"

// Standard output is in text mode on Windows, so every line ends in CR LF there.
std::string Lines(const std::string& text) {
    std::string lines;
    for (char c : text) {
        lines += c == '\n' && OnWindows() ? "\r\n" : std::string(1, c);
    }
    return lines;
}

class FerruleCheckTest : public ::testing::Test {
protected:
    FerruleCheckTest() {
        m_Dir.Write("a.txt", "hello\n");
        std::filesystem::create_directory(std::filesystem::u8path(m_Dir.File("写し")));
        m_Dir.Write("写し/a.txt", "hello\n");
        m_Dir.Write("good.md5", "a.txt " + kHelloMd5 + " 6\n");
    }
    // The exit status; what the run wrote lands in m_Out and m_Err.
    int Check(std::initializer_list<std::string> args) {
        const int status = RunChecker(m_Dir.Path(), args);
        m_Out = Read(".out");
        m_Err = Read(".err");
        return status;
    }
    std::string Read(const std::string& name) const {
        std::ifstream in(std::filesystem::u8path(m_Dir.File(name)), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    TempFolder m_Dir;
    std::string m_Out;
    std::string m_Err;
};

TEST_F(FerruleCheckTest, PrintsExactlyTheLogLines) {
    // Names in code page 932, as lists from Japanese systems hold them.
    m_Dir.Write("検証.txt", "hello\n");
    m_Dir.Write("sums.md5",
                "a.txt " + kHelloMd5 + "\r\nb.txt " + kHelloMd5 + "\r\n\x8C\x9F\x8F\xD8.txt " + kHelloMd5 + "\r\n");
    EXPECT_EQ(Check({"sums.md5"}), 1);
    EXPECT_EQ(m_Err, "");
    EXPECT_EQ(m_Out, Lines(std::string(40, '=') + "\n○ a.txt [" + kHelloMd5 + "]\n× b.txt\n○ 検証.txt [" + kHelloMd5 +
                           "]\n" + std::string(40, '-') +
                           "\n○: 2 (正常)\n△: 0 (サイズが不一致)\n▲: 0 (CRC/MDが不一致)\n×: 1 (存在しない)\n"
                           "？: 0 (不明なエラー)\n" +
                           std::string(40, '=') + "\nチェックを終了しました。\n"));
}

// Status 0 when every file is correct, 1 when one is not, 2 when the check stops on an error; errors go to
// standard error only, after the lines of the lists checked before.
TEST_F(FerruleCheckTest, ExitStatusAndStreams) {
    m_Dir.Write("bad.md5", "a.txt " + kHelloMd5 + " 7\n");
    m_Dir.Write("empty.md5", "");
    m_Dir.Write("prose.txt", "These are the release notes.\r\nNothing here is a checksum.\r\n");
    m_Dir.Write("binary.bin", std::string("\x7F"
                                          "ELF\x02\x01\x01\0\0\0\xFF\xFE\n\x93\xFA",
                                          16));
    m_Dir.Write("-odd.md5", "a.txt " + kHelloMd5 + "\n");
    m_Dir.Write("一覧.md5", "a.txt " + kHelloMd5 + "\n");
    m_Dir.Write("dup.md5", "a.txt " + kHelloMd5 + "\na.txt " + kHelloMd5 + "\n");
    const std::string done = "チェックを終了しました。\n";
    const struct {
        std::initializer_list<std::string> args;
        int status;
        std::string outEnd;
        std::string errPart; // empty: nothing on standard error
    } rows[] = {
        {{"good.md5"}, 0, done, ""},
        {{"bad.md5"}, 1, done, ""},
        // A list that gives nothing to check is not success: the log is as always, standard error names it.
        {{"empty.md5"}, 1, done, "nothing to check in empty.md5"},
        {{"good.md5", "prose.txt", "binary.bin"}, 1, done, "nothing to check in prose.txt"},
        {{"binary.bin", "good.md5"}, 1, done, "nothing to check in binary.bin"},
        {{"--folder", "写し", "一覧.md5"}, 0, done, ""},
        {{"--folder=写し", "good.md5"}, 0, done, ""},
        {{"-f", m_Dir.File("写し/"), m_Dir.File("good.md5")}, 0, done, ""},
        {{"--", "-odd.md5"}, 0, done, ""},
        {{"--version"}, 0, "ferrule-check 1.01.0003\n", ""},
        {{"--help"}, 0, "(the reason goes to standard error).\n", ""},
        {{"good.md5", "dup.md5", "good.md5"}, 2, "？: 0 (不明なエラー)\n", "dup.md5"},
        {{"無い.md5"}, 2, "", "無い.md5"},
        {{}, 2, "", "no checksum list"},
        {{"--folder"}, 2, "", "needs a folder"},
        {{"--bogus", "x.md5"}, 2, "", "unknown option '--bogus'"},
        {{"--jobs", "1", "good.md5", "bad.md5"}, 1, done, ""},
        {{"--jobs=3", "good.md5"}, 0, done, ""},
        {{"-j", "0", "good.md5"}, 2, "", "needs a number"},
        {{"--jobs", "64", "good.md5"}, 0, done, ""},
        // More workers than the pool starts: said once, and the check runs with as many as it has.
        {{"--jobs", "100", "good.md5", "bad.md5"}, 1, done, "--jobs 100 is more than 64; 64 files are hashed at once"},
        {{"--readers", "1", "good.md5", "bad.md5"}, 1, done, ""},
        {{"--readers=4", "--jobs=2", "good.md5"}, 0, done, ""},
        {{"--readers", "0", "good.md5"}, 2, "", "'--readers' needs a number of files from 1 to 64"},
        {{"--readers", "x", "good.md5"}, 2, "", "'--readers' needs a number"},
        {{"--readers=65", "good.md5"}, 2, "", "'--readers' needs a number"},
        {{"--readers=", "good.md5"}, 2, "", "'--readers' needs a number"},
        {{"good.md5", "--readers"}, 2, "", "'--readers' needs a number"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Check(row.args), row.status);
        SCOPED_TRACE(m_Out + m_Err);
        EXPECT_TRUE(m_Out.ends_with(Lines(row.outEnd)));
        if (row.errPart.empty()) {
            EXPECT_EQ(m_Err, "");
        } else {
            EXPECT_TRUE(m_Err.starts_with("ferrule-check: "));
            EXPECT_NE(m_Err.find(row.errPart), std::string::npos);
        }
    }
    EXPECT_EQ(Check({"--jobs=9999", "good.md5"}), 0);
    EXPECT_EQ(m_Err, Lines("ferrule-check: --jobs 9999 is more than 64; 64 files are hashed at once\n"));
}

} // namespace
