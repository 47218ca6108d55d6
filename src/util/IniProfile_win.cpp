// Windows side of the INI profile functions: the routed ones are the system's own, and the portable
// ones read and replace the file through the wide-character API.
#include "util/IniProfile.h"

#include "util/CodePage.h"
#include "util/WinText.h"

#include <vector>
#include <windows.h>

std::string GetProfileText(std::string_view section, std::string_view key, std::string_view defaultValue,
                           const std::string& path, std::size_t bufferSize) {
    std::vector<char> buffer(bufferSize + 1, '\0');
    GetPrivateProfileStringA(Utf8ToAnsi(section).c_str(), Utf8ToAnsi(key).c_str(), Utf8ToAnsi(defaultValue).c_str(),
                             buffer.data(), static_cast<DWORD>(bufferSize), Utf8ToAnsi(path).c_str());
    return AnsiToUtf8(buffer.data());
}

bool WriteProfileText(std::string_view section, std::string_view key, std::string_view value, const std::string& path) {
    return WritePrivateProfileStringA(Utf8ToAnsi(section).c_str(), Utf8ToAnsi(key).c_str(), Utf8ToAnsi(value).c_str(),
                                      Utf8ToAnsi(path).c_str()) != FALSE;
}

ProfileFile ReadProfileFile(const std::string& path) {
    ProfileFile file;
    if (path.empty()) {
        return file;
    }
    const std::wstring widePath = ToWidePath(path);
    HANDLE handle = CreateFileW(widePath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        file.exists = error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
        return file;
    }
    file.exists = true;
    file.readable = true;
    char chunk[65536];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(handle, chunk, sizeof chunk, &got, nullptr)) {
            file.readable = false;
            break;
        }
        if (got == 0) {
            break;
        }
        file.bytes.append(chunk, got);
    }
    CloseHandle(handle);
    if (!file.readable) {
        file.bytes.clear();
    }
    return file;
}

bool SaveProfileFile(const std::string& path, std::string_view bytes) {
    if (path.empty()) {
        return false;
    }
    const std::wstring widePath = ToWidePath(path);
    const DWORD attributes = GetFileAttributesW(widePath.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0) {
        return false;
    }
    // The new contents go to a temporary file beside the old one, which then takes its place.
    const std::wstring temporary = widePath + L".new";
    HANDLE handle =
        CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    const bool ok = WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size() && FlushFileBuffers(handle);
    CloseHandle(handle);
    if (!ok || !MoveFileExW(temporary.c_str(), widePath.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temporary.c_str());
        return false;
    }
    return true;
}
