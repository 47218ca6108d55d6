#include "util/Console.h"

#include "util/WinText.h"

#include <io.h>
#include <windows.h>

#include <atomic>

#include <shellapi.h>

std::vector<std::string> CommandLineArguments(int, char**) {
    std::vector<std::string> arguments;
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 1; wide != nullptr && i < count; ++i) {
        arguments.push_back(WideToUtf8(wide[i]));
    }
    LocalFree(wide);
    return arguments;
}

bool WriteText(std::FILE* stream, std::string_view text) {
    HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    if (handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode)) {
        // A console shows characters, whatever its code page.
        std::fflush(stream);
        const std::wstring wide = Utf8ToWide(text);
        DWORD written = 0;
        return WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr) != 0;
    }
    const bool whole = std::fwrite(text.data(), 1, text.size(), stream) == text.size();
    return std::fflush(stream) == 0 && whole;
}

bool WriteLine(std::FILE* stream, std::string_view text) {
    // Text-mode streams and the console both end the line in CR LF.
    return WriteText(stream, std::string(text) + "\n");
}

namespace {

std::atomic<bool> g_Interrupted{false};

BOOL WINAPI OnConsoleControl(DWORD type) {
    if (type == CTRL_C_EVENT || type == CTRL_BREAK_EVENT) {
        // The first is handled: the process goes on and stops in good order; the system ends it on the second.
        return g_Interrupted.exchange(true) ? FALSE : TRUE;
    }
    return FALSE;
}

} // namespace

bool IsTerminal(std::FILE* stream) {
    HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
}

void CatchInterrupts() {
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

bool InterruptRequested() {
    return g_Interrupted;
}
