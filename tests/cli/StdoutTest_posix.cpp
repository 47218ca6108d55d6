// ferrule-check's standard output under strain: Ctrl+C while it is blocked writing into a full pipe (the
// first stops the check without losing a line, a second ends the process at once), and a stream that takes
// no more.
#include "TempFolder.h"
#include "util/Console.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <sstream>
#include <string>
#include <string_view>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kBound = std::chrono::seconds(60); // only a hang gets near it
const std::string kHelloMd5 = "b1946ac92492d2347c6235b4d2611184";

// Each line some 70 bytes: twice a pipe's 64 KiB of lines, and still a quick check.
constexpr int kFiles = 2000;

std::string Name(int i) {
    char name[64];
    std::snprintf(name, sizeof name, "entry-%05d-a-name-long-enough.txt", i);
    return name;
}

std::string ResultLine(int i) {
    return "○ " + Name(i) + " [" + kHelloMd5 + "]";
}

// Where the checker's standard output goes.
enum class Out {
    Pipe,       // a pipe the test reads
    Full,       // /dev/full: every write fails
    Closed,     // no descriptor at all
    ReaderGone, // a pipe nobody will ever read
};

// A running ferrule-check; one a failed test leaves behind is killed.
struct Child {
    pid_t pid = -1;
    int out = -1; // read end of its standard output
    bool reaped = false;
    ~Child() {
        if (pid > 0 && !reaped) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        if (out >= 0) {
            close(out);
        }
    }
};

void StartChecker(const std::string& list, Child& child, Out out = Out::Pipe, bool ignorePipeSignal = false,
                  const std::string& errFile = "/dev/null") {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) {
        ADD_FAILURE() << "pipe";
        return;
    }
    // Built before the fork: the child only calls what is safe there.
    std::vector<std::string> env{"LC_ALL=C"};
    for (char** e = environ; *e != nullptr; ++e) {
        if (std::string_view(*e).substr(0, 7) != "LC_ALL=") {
            env.emplace_back(*e);
        }
    }
    std::vector<char*> envp;
    for (std::string& e : env) {
        envp.push_back(e.data());
    }
    envp.push_back(nullptr);
    std::string path = FERRULE_CHECK_PATH;
    std::string listArg = list;
    std::string noProgress = "--no-progress";
    char* argv[] = {path.data(), noProgress.data(), listArg.data(), nullptr};
    const pid_t pid = fork();
    if (pid == 0) {
        if (out == Out::ReaderGone) {
            close(pipeEnds[0]);
        }
        const int full = open("/dev/full", O_WRONLY);
        dup2(out == Out::Full ? full : pipeEnds[1], STDOUT_FILENO);
        if (out == Out::Closed) {
            close(STDOUT_FILENO);
        }
        const int err = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(err, STDERR_FILENO);
        if (ignorePipeSignal) {
            signal(SIGPIPE, SIG_IGN); // kept across exec, as a parent that ignores it hands it on
        }
        close(full);
        close(err);
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        execve(path.c_str(), argv, envp.data());
        _exit(127);
    }
    close(pipeEnds[1]);
    if (out == Out::ReaderGone) {
        close(pipeEnds[0]);
        pipeEnds[0] = -1;
    }
    child.pid = pid;
    child.out = pipeEnds[0];
}

// True once the checker's main thread is blocked writing its standard output into the full pipe.
bool WaitUntilBlocked(const Child& child) {
    const std::string syscall = "/proc/" + std::to_string(child.pid) + "/syscall";
    const std::string writing = std::to_string(SYS_write) + " 0x1 ";
    const int capacity = fcntl(child.out, F_GETPIPE_SZ);
    for (const auto end = Clock::now() + kBound; Clock::now() < end;) {
        std::ifstream in(syscall);
        std::string now;
        if (in && std::getline(in, now)) {
            if (now.starts_with(writing)) {
                return true;
            }
        } else {
            // No system call to see: a pipe this full blocks a writer of lines (pages are not filled to the byte).
            int queued = 0;
            if (ioctl(child.out, FIONREAD, &queued) == 0 && queued >= capacity / 16 * 15) {
                return true;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

// Sends SIGINT and waits until the process has taken it, so that a second one is not merged with it.
void Interrupt(pid_t pid) {
    kill(pid, SIGINT);
    const std::string status = "/proc/" + std::to_string(pid) + "/status";
    for (const auto end = Clock::now() + std::chrono::seconds(10); Clock::now() < end;) {
        std::ifstream in(status);
        std::string line;
        bool pending = false;
        while (std::getline(in, line)) {
            if (line.starts_with("ShdPnd:") || line.starts_with("SigPnd:")) {
                pending = pending || ((std::strtoull(line.c_str() + 7, nullptr, 16) >> (SIGINT - 1)) & 1) != 0;
            }
        }
        if (!pending) {
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

// Everything the child writes until it closes its end, or what came before the bound.
std::string Drain(int fd) {
    std::string text;
    char buffer[8192];
    for (const auto end = Clock::now() + kBound; Clock::now() < end;) {
        pollfd ready{fd, POLLIN, 0};
        if (poll(&ready, 1, 100) > 0) {
            const ssize_t got = read(fd, buffer, sizeof buffer);
            if (got <= 0) {
                break;
            }
            text.append(buffer, static_cast<std::size_t>(got));
        }
    }
    return text;
}

// The wait status, or -1 when the process did not end within the bound (it is killed then).
int WaitBounded(Child& child) {
    int status = 0;
    for (const auto end = Clock::now() + kBound; Clock::now() < end;) {
        if (waitpid(child.pid, &status, WNOHANG) == child.pid) {
            child.reaped = true;
            return status;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return -1;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

class CheckerStdout : public ::testing::Test {
protected:
    // The files are made once for all the tests: thousands of them take a while on some file systems.
    static void SetUpTestSuite() {
        s_Dir = new TempFolder;
        std::string list;
        for (int i = 0; i < kFiles; ++i) {
            s_Dir->Write(Name(i), "hello\n");
            list += kHelloMd5 + "  " + Name(i) + "\n";
        }
        s_List = s_Dir->Write("sums.md5", list);
    }
    static void TearDownTestSuite() {
        delete s_Dir;
        s_Dir = nullptr;
    }
    static inline TempFolder* s_Dir = nullptr;
    static inline std::string s_List;
};

TEST_F(CheckerStdout, StopsWithoutLosingALine) {
    Child child;
    StartChecker(s_List, child);
    ASSERT_GT(child.pid, 0);
    ASSERT_TRUE(WaitUntilBlocked(child));
    Interrupt(child.pid);
    const std::string out = Drain(child.out);
    const int status = WaitBounded(child);
    ASSERT_TRUE(WIFEXITED(status)) << "status " << status;
    EXPECT_EQ(WEXITSTATUS(status), 130);

    // The lines written are those of the first entries, each once and whole, then the closing lines.
    const std::vector<std::string> lines = SplitLines(out);
    ASSERT_GE(lines.size(), 9u) << out;
    ASSERT_TRUE(out.ends_with("\n"));
    EXPECT_EQ(lines.front(), std::string(40, '='));
    const std::size_t results = lines.size() - 9;
    EXPECT_GT(results, 0u);
    EXPECT_LT(results, static_cast<std::size_t>(kFiles)) << "the check ran to its end: no stop was tested";
    for (std::size_t i = 0; i < results; ++i) {
        ASSERT_EQ(lines[1 + i], ResultLine(static_cast<int>(i))) << "line " << 1 + i;
    }
    const std::vector<std::string> closing(lines.end() - 8, lines.end());
    const std::vector<std::string> expected{std::string(40, '-'),    "○: " + std::to_string(results) + " (正常)",
                                            "△: 0 (サイズが不一致)", "▲: 0 (CRC/MDが不一致)",
                                            "×: 0 (存在しない)",     "？: 0 (不明なエラー)",
                                            std::string(40, '='),    "チェックを中止しました。"};
    EXPECT_EQ(closing, expected);
}

TEST_F(CheckerStdout, SecondInterruptEndsTheProcessAtOnce) {
    Child child;
    StartChecker(s_List, child);
    ASSERT_GT(child.pid, 0);
    ASSERT_TRUE(WaitUntilBlocked(child));
    Interrupt(child.pid);
    Interrupt(child.pid);
    // Nobody reads the pipe: only the second SIGINT can end it.
    const int status = WaitBounded(child);
    ASSERT_NE(status, -1) << "still running after the second SIGINT";
    ASSERT_TRUE(WIFSIGNALED(status)) << "status " << status;
    EXPECT_EQ(WTERMSIG(status), SIGINT);
}

// A stream that takes no more ends the check with status 2 and the reason, never a run on writing nothing;
// a closed pipe ends it as quietly as any filter when SIGPIPE is not ignored.
TEST_F(CheckerStdout, StreamThatTakesNoMoreEndsTheCheck) {
    const struct {
        const char* what;
        Out out;
        bool ignorePipeSignal;
        int signal; // 0: exits with status 2
        const char* reason;
    } rows[] = {
        {"disk full", Out::Full, false, 0, "No space left on device"},
        {"standard output closed", Out::Closed, false, 0, "Bad file descriptor"},
        {"reader gone, SIGPIPE ignored", Out::ReaderGone, true, 0, "Broken pipe"},
        {"reader gone", Out::ReaderGone, false, SIGPIPE, ""},
    };
    const std::string errFile = s_Dir->File(".err");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        Child child;
        StartChecker(s_List, child, row.out, row.ignorePipeSignal, errFile);
        const int status = WaitBounded(child);
        ASSERT_NE(status, -1);
        std::ifstream in(errFile);
        const std::string err{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        if (row.signal != 0) {
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == row.signal) << "status " << status;
            EXPECT_EQ(err, "");
            continue;
        }
        ASSERT_TRUE(WIFEXITED(status)) << "status " << status;
        EXPECT_EQ(WEXITSTATUS(status), 2);
        // One line saying why, and nothing after it.
        EXPECT_EQ(err, std::string("ferrule-check: cannot write the results to standard output: ") + row.reason + "\n");
    }
}

// Other calls the signal comes in the middle of (the digest readers' reads) resume too, rather than fail.
TEST(Interrupts, CaughtByARestartingHandler) {
    struct sigaction before {};
    sigaction(SIGINT, nullptr, &before);
    CatchInterrupts();
    struct sigaction caught {};
    sigaction(SIGINT, nullptr, &caught);
    sigaction(SIGINT, &before, nullptr);
    EXPECT_NE(caught.sa_handler, SIG_DFL);
    EXPECT_NE(caught.sa_flags & SA_RESTART, 0);
    EXPECT_FALSE(InterruptRequested());
}

} // namespace
