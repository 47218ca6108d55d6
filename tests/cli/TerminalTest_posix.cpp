// ferrule-check on a terminal: the progress line, and Ctrl+C stopping the check in good order. A pseudo
// terminal stands in for the user's; POSIX only (the Windows console takes other calls).
#include "TempFolder.h"
#include "cli/clsRunWatcher.h"
#include "verify/CheckProgress.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <poll.h>
#include <pty.h>
#include <string>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>

namespace {

// Huge sparse files: a check far longer than any test waits for, whatever the machine; every test stops it.
std::string LongList(const TempFolder& folder) {
    std::string lines;
    for (int i = 0; i < 8; ++i) {
        const std::string name = "big" + std::to_string(i) + ".bin";
        folder.Write(name, "");
        std::filesystem::resize_file(folder.File(name), std::uintmax_t{64} << 30);
        lines += name + " 0123456789abcdef0123456789abcdef\n";
    }
    return folder.Write("big.md5", lines);
}

struct Outcome {
    int status = -1;
    std::string output; // what the terminal showed, standard output and error together
};

// Runs ferrule-check with `args` on a pseudo terminal and sends it SIGINT once `waitFor` has appeared on
// the terminal, or after `seconds` when `waitFor` is empty (or never appears).
Outcome RunOnTerminal(std::vector<std::string> args, const std::string& waitFor, double seconds) {
    int terminal = -1;
    const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
    if (child == 0) {
        std::vector<char*> argv{const_cast<char*>(FERRULE_CHECK_PATH)};
        for (std::string& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        execv(FERRULE_CHECK_PATH, argv.data());
        _exit(127);
    }
    Outcome outcome;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    bool sent = false;
    char buffer[4096];
    for (;;) {
        pollfd ready{terminal, POLLIN, 0};
        if (poll(&ready, 1, 50) > 0) {
            const ssize_t got = read(terminal, buffer, sizeof buffer);
            if (got <= 0) {
                break; // the child has gone: the terminal reports an error
            }
            outcome.output.append(buffer, static_cast<std::size_t>(got));
        }
        const bool seen = !waitFor.empty() && outcome.output.find(waitFor) != std::string::npos;
        if (!sent && (seen || std::chrono::steady_clock::now() > deadline)) {
            kill(child, SIGINT);
            sent = true;
        }
    }
    int status = 0;
    waitpid(child, &status, 0);
    close(terminal);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

} // namespace

TEST(Terminal, ProgressLineOnATerminalUnlessTurnedOff) {
    TempFolder folder;
    const std::string list = LongList(folder);
    for (const auto& [noProgress, shown] : {std::tuple{false, true}, std::tuple{true, false}}) {
        std::vector<std::string> args{list};
        if (noProgress) {
            args.insert(args.begin(), "--no-progress");
        }
        // Stopped once the line has shown, or a good while after it would have.
        const Outcome outcome = RunOnTerminal(args, "[1/1] ", 5.0);
        EXPECT_EQ(outcome.status, 130);
        EXPECT_EQ(outcome.output.find("[1/1] ") != std::string::npos, shown) << outcome.output;
    }
}

TEST(Terminal, InterruptStopsTheCheckWithItsClosingLines) {
    TempFolder folder;
    const Outcome outcome = RunOnTerminal({"--no-progress", LongList(folder)}, "", 0.5);
    EXPECT_EQ(outcome.status, 130);
    const std::string& out = outcome.output;
    EXPECT_EQ(out.find("チェックを終了しました。"), std::string::npos);
    EXPECT_NE(out.find("----------------------------------------\r\n○: 0 (正常)"), std::string::npos) << out;
    EXPECT_NE(out.find("▲: 0 (CRC/MDが不一致)"), std::string::npos) << out; // half a second: no 64 GiB file done
    EXPECT_NE(out.find("========================================\r\nチェックを中止しました。\r\n"), std::string::npos);
}

TEST(Terminal, ProgressLineFitsItsWidth) {
    CheckProgress progress{1, 2, 2147483648, 536870912, "とても長い名前のファイル_0123456789abcdefghijklmnop.iso"};
    const std::string full = clsRunWatcher::ProgressLine(progress, 25, 650e6, "0:03", 200);
    EXPECT_EQ(full, "[1/2] 25% 537 MB / 2.15 GB  650 MB/s  0:03 left  " + progress.currentFile);
    const std::string cut = clsRunWatcher::ProgressLine(progress, 25, 650e6, "0:03", 79);
    // The name is cut at a character, to 79 columns (each Japanese character takes two).
    EXPECT_EQ(cut, "[1/2] 25% 537 MB / 2.15 GB  650 MB/s  0:03 left  とても長い名前のファイル_01234");
    EXPECT_EQ(clsRunWatcher::ProgressLine(CheckProgress{1, 1, 0, 0, ""}, 0, 0.0, "", 79), "[1/1] 0% 0 B / 0 B");
}
