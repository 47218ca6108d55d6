#include "util/Console.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <unistd.h>

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

bool WriteText(std::FILE* stream, std::string_view text) {
    // Past stdio to the descriptor: stdio drops its buffer when a write fails, and a result must not be lost.
    if (std::fflush(stream) != 0) {
        return false;
    }
    const int fd = fileno(stream);
    while (!text.empty()) {
        const ssize_t written = write(fd, text.data(), text.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

bool WriteLine(std::FILE* stream, std::string_view text) {
    // One write for the line and its end: a reader never sees half a line.
    std::string line;
    line.reserve(text.size() + 1);
    line.append(text);
    line += '\n';
    return WriteText(stream, line);
}

namespace {

std::atomic<int> g_Interrupts{0};
static_assert(std::atomic<int>::is_always_lock_free, "read and written in a signal handler");

extern "C" void OnInterrupt(int) {
    if (g_Interrupts.fetch_add(1) == 0) {
        return;
    }
    // A second Ctrl+C: whoever presses it will not wait for the stop in good order (which a full pipe can
    // hold up for ever), so the process ends as an uncaught SIGINT would end it.
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(SIGINT, &fallback, nullptr);
    raise(SIGINT);
}

} // namespace

bool IsTerminal(std::FILE* stream) {
    return isatty(fileno(stream)) != 0;
}

void CatchInterrupts() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    // Restarted, not failed: the reads and writes Ctrl+C comes in the middle of go on as if it had not come.
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
}

bool InterruptRequested() {
    return g_Interrupts.load() != 0;
}
