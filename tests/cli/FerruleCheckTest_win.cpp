// ferrule-check.exe as a Windows user runs it: a process started with a command line, its standard output
// and standard error in files, and its exit code. Standard output is in text mode there, so every line
// ends in CR LF.
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <windows.h>

namespace {

std::wstring Wide(const std::string& utf8) {
    return std::filesystem::u8path(utf8).wstring();
}

std::string Slurp(const std::string& path) {
    std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// One argument quoted the way the C runtime splits a command line: backslashes count only before a quote.
std::wstring Quote(const std::wstring& arg) {
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

// ferrule-check.exe lies in the build tree at a fixed place relative to this test program.
std::wstring CheckerPath() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    return (std::filesystem::path(self).parent_path() / FERRULE_CHECK_RELATIVE_PATH).lexically_normal().wstring();
}

struct Result {
    DWORD status = 0xFFFFFFFF;
    std::string out;
    std::string err;
};

class FerruleCheckTest : public ::testing::Test {
protected:
    TempFolder dir;

    // Runs ferrule-check in the temporary folder.
    Result Check(std::initializer_list<std::string> args) {
        std::wstring command = Quote(CheckerPath());
        for (const auto& arg : args) {
            command += L" " + Quote(Wide(arg));
        }
        SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
        const auto open = [&inherit](const std::wstring& path, DWORD access, DWORD disposition) {
            return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, disposition, 0,
                               nullptr);
        };
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = open(L"NUL", GENERIC_READ, OPEN_EXISTING);
        startup.hStdOutput = open(Wide(dir.File(".out")), GENERIC_WRITE, CREATE_ALWAYS);
        startup.hStdError = open(Wide(dir.File(".err")), GENERIC_WRITE, CREATE_ALWAYS);
        PROCESS_INFORMATION process{};
        Result result;
        if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, Wide(dir.Path()).c_str(),
                           &startup, &process)) {
            WaitForSingleObject(process.hProcess, 60000);
            GetExitCodeProcess(process.hProcess, &result.status);
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        } else {
            ADD_FAILURE() << "cannot start ferrule-check: error " << GetLastError();
        }
        CloseHandle(startup.hStdInput);
        CloseHandle(startup.hStdOutput);
        CloseHandle(startup.hStdError);
        result.out = Slurp(dir.File(".out"));
        result.err = Slurp(dir.File(".err"));
        return result;
    }
};

const std::string kHelloMd5 = "b1946ac92492d2347c6235b4d2611184"; // MD5 of "hello\n"

TEST_F(FerruleCheckTest, PrintsExactlyTheLogLines) {
    dir.Write("a.txt", "hello\n");
    // Names in code page 932, as lists from Japanese systems hold them.
    dir.Write("検証.txt", "hello\n");
    dir.Write("sums.md5",
              "a.txt " + kHelloMd5 + "\r\nb.txt " + kHelloMd5 + "\r\n\x8C\x9F\x8F\xD8.txt " + kHelloMd5 + "\r\n");
    const Result result = Check({"sums.md5"});
    EXPECT_EQ(result.status, 1u);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out,
              std::string(40, '=') + "\r\n○ a.txt [" + kHelloMd5 + "]\r\n× b.txt\r\n○ 検証.txt [" + kHelloMd5 +
                  "]\r\n" + std::string(40, '-') +
                  "\r\n○: 2 (正常)\r\n△: 0 (サイズが不一致)\r\n▲: 0 (CRC/MDが不一致)\r\n×: 1 (存在しない)\r\n"
                  "？: 0 (不明なエラー)\r\n" +
                  std::string(40, '=') + "\r\nチェックを終了しました。\r\n");
}

TEST_F(FerruleCheckTest, ExitStatusAndFolderOption) {
    std::filesystem::create_directory(dir.File("copy"));
    dir.Write("copy/a.txt", "hello\n");
    dir.Write("a.txt", "hello\n");
    dir.Write("sums.md5", "a.txt " + kHelloMd5 + " 6\n");
    dir.Write("bad.md5", "a.txt " + kHelloMd5 + " 7\n");
    EXPECT_EQ(Check({"sums.md5"}).status, 0u);
    EXPECT_EQ(Check({"bad.md5"}).status, 1u);
    EXPECT_EQ(Check({"--folder", "copy", "sums.md5"}).status, 0u);
    EXPECT_EQ(Check({"-f", dir.File("copy") + "\\", dir.File("sums.md5")}).status, 0u);
}

TEST_F(FerruleCheckTest, JapaneseNamesOnTheCommandLine) {
    std::filesystem::create_directory(std::filesystem::u8path(dir.File("写し")));
    dir.Write("写し/a.txt", "hello\n");
    dir.Write("一覧.md5", "a.txt " + kHelloMd5 + "\n");
    EXPECT_EQ(Check({"--folder", "写し", "一覧.md5"}).status, 0u);
    const Result missing = Check({"無い.md5"});
    EXPECT_EQ(missing.status, 2u);
    EXPECT_NE(missing.err.find("無い.md5"), std::string::npos) << missing.err;
}

TEST_F(FerruleCheckTest, ErrorsGoToStandardErrorWithStatusTwo) {
    dir.Write("a.txt", "hello\n");
    dir.Write("dup.md5", "a.txt " + kHelloMd5 + "\nA.TXT " + kHelloMd5 + "\n");
    const Result duplicate = Check({"dup.md5"});
    EXPECT_EQ(duplicate.status, 2u);
    EXPECT_TRUE(duplicate.err.starts_with("ferrule-check: ")) << duplicate.err;
    EXPECT_NE(duplicate.err.find("dup.md5"), std::string::npos) << duplicate.err;

    const Result missing = Check({"nothing.md5"});
    EXPECT_EQ(missing.status, 2u);
    EXPECT_NE(missing.err.find("nothing.md5"), std::string::npos) << missing.err;

    const Result usage = Check({"--bogus", "x.md5"});
    EXPECT_EQ(usage.status, 2u);
    EXPECT_NE(usage.err.find("unknown option '--bogus'"), std::string::npos) << usage.err;
    EXPECT_EQ(Check({"--version"}).out, "ferrule-check 1.01.0003\r\n");
}

} // namespace
