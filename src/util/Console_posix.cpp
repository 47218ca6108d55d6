#include "util/Console.h"

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void WriteLine(std::FILE* stream, std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

void WriteText(std::FILE* stream, std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
}

#include <csignal>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t g_Interrupted = 0;

extern "C" void OnInterrupt(int) {
    g_Interrupted = 1;
}

} // namespace

bool IsTerminal(std::FILE* stream) {
    return isatty(fileno(stream)) != 0;
}

void CatchInterrupts() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
}

bool InterruptRequested() {
    return g_Interrupted != 0;
}
