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

void WriteText(std::FILE* stream, std::string_view text) {
    HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    if (handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode)) {
        // A console shows characters, whatever its code page.
        std::fflush(stream);
        const std::wstring wide = Utf8ToWide(text);
        DWORD written = 0;
        WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
}

void WriteLine(std::FILE* stream, std::string_view text) {
    // Text-mode streams and the console both end the line in CR LF.
    WriteText(stream, std::string(text) + "\n");
}

namespace {

std::atomic<bool> g_Interrupted{false};

BOOL WINAPI OnConsoleControl(DWORD type) {
    if (type == CTRL_C_EVENT || type == CTRL_BREAK_EVENT) {
        g_Interrupted = true;
        return TRUE; // handled: the process goes on and stops in good order
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
