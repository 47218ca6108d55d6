// Windows side of the INI profile functions: the routed ones are the system's own (for a UTF-16 BE file, ours),
// and the portable ones read and replace the file through the wide-character API.
#include "util/IniProfile.h"

#include "util/CodePage.h"
#include "util/WinText.h"

#include <vector>
#include <windows.h>

namespace {

// The system's profile functions keep a file that starts with the UTF-16 LE mark in UTF-16 LE, and through
// their W forms every character reaches us; the A forms would pass each value through the ANSI code page and
// lose what it cannot hold. A UTF-16 BE file is not among the formats they document, so ours edit it.
enum class ProfileRoute { Ansi, Wide, Portable };

ProfileRoute RouteFor(const std::string& path) {
    const ProfileFile file = ReadProfileFile(path);
    const std::string_view start = std::string_view(file.bytes).substr(0, 2);
    if (start == "\xFF\xFE") {
        return ProfileRoute::Wide;
    }
    return start == "\xFE\xFF" ? ProfileRoute::Portable : ProfileRoute::Ansi;
}

// A W value: longer than any value of ours, then cut the way the A form cuts.
constexpr DWORD kWideBufferSize = 32768;

} // namespace

std::string GetProfileText(std::string_view section, std::string_view key, std::string_view defaultValue,
                           const std::string& path, std::size_t bufferSize) {
    const ProfileRoute route = RouteFor(path);
    if (route == ProfileRoute::Portable) {
        return PortableGetProfileText(section, key, defaultValue, path, bufferSize);
    }
    if (route == ProfileRoute::Wide) {
        std::vector<wchar_t> buffer(kWideBufferSize + 1, L'\0');
        GetPrivateProfileStringW(Utf8ToWide(section).c_str(), Utf8ToWide(key).c_str(), Utf8ToWide(defaultValue).c_str(),
                                 buffer.data(), kWideBufferSize, Utf8ToWide(path).c_str());
        return bufferSize == 0 ? std::string() : CutToAnsiBytes(WideToUtf8(buffer.data()), bufferSize - 1);
    }
    std::vector<char> buffer(bufferSize + 1, '\0');
    GetPrivateProfileStringA(Utf8ToAnsi(section).c_str(), Utf8ToAnsi(key).c_str(), Utf8ToAnsi(defaultValue).c_str(),
                             buffer.data(), static_cast<DWORD>(bufferSize), Utf8ToAnsi(path).c_str());
    return AnsiToUtf8(buffer.data());
}

bool WriteProfileText(std::string_view section, std::string_view key, std::string_view value, const std::string& path) {
    const ProfileRoute route = RouteFor(path);
    if (route == ProfileRoute::Portable) {
        return PortableWriteProfileText(section, key, value, path);
    }
    if (route == ProfileRoute::Wide) {
        return WritePrivateProfileStringW(Utf8ToWide(section).c_str(), Utf8ToWide(key).c_str(),
                                          Utf8ToWide(value).c_str(), Utf8ToWide(path).c_str()) != FALSE;
    }
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
