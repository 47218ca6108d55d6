// ferrule-check.exe as a process started with a command line, its standard output and error in files.
#include "RunChecker.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <windows.h>

namespace {

std::wstring Wide(const std::string& utf8) {
    return std::filesystem::u8path(utf8).wstring();
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

// ferrule-check.exe lies in the build tree at a fixed place relative to this test program (under Wine too,
// whose paths are not the build's).
std::wstring CheckerPath() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    return (std::filesystem::path(self).parent_path() / FERRULE_CHECK_RELATIVE_PATH).lexically_normal().wstring();
}

} // namespace

int RunChecker(const std::string& folder, std::initializer_list<std::string> args) {
    std::wstring command = Quote(CheckerPath());
    for (const auto& arg : args) {
        command += L" " + Quote(Wide(arg));
    }
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    const auto open = [&inherit](const std::wstring& path, DWORD access, DWORD disposition) {
        return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, disposition, 0, nullptr);
    };
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = open(L"NUL", GENERIC_READ, OPEN_EXISTING);
    startup.hStdOutput = open(Wide(folder + "\\.out"), GENERIC_WRITE, CREATE_ALWAYS);
    startup.hStdError = open(Wide(folder + "\\.err"), GENERIC_WRITE, CREATE_ALWAYS);
    PROCESS_INFORMATION process{};
    DWORD status = 0xFFFFFFFF;
    if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, Wide(folder).c_str(), &startup,
                       &process)) {
        WaitForSingleObject(process.hProcess, 60000);
        GetExitCodeProcess(process.hProcess, &status);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    } else {
        ADD_FAILURE() << "cannot start ferrule-check: error " << GetLastError();
    }
    CloseHandle(startup.hStdInput);
    CloseHandle(startup.hStdOutput);
    CloseHandle(startup.hStdError);
    return static_cast<int>(status);
}
