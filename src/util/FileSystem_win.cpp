// Windows side of the file-system functions: wide-character API, so long and Japanese names work.
#include "util/FileSystem.h"

#include "util/AppError.h"
#include "util/PathHelpers.h"
#include "util/WinFileHandle.h"
#include "util/WinText.h"

#include <windows.h>

namespace {

std::string SystemMessage(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = length > 0 && buffer != nullptr ? std::wstring(buffer, length) : std::wstring();
    LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) {
        text.pop_back();
    }
    return text.empty() ? "エラー " + std::to_string(code) : WideToUtf8(text);
}

} // namespace

PathRules NativePathRules() {
    return PathRules::Windows;
}

void RaisePlatformError(int code, const std::string& path) {
    RaiseError(code, SystemMessage(static_cast<DWORD>(code)) + "(" + path + ")");
}

bool FileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(ToWidePath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool FolderExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(ToWidePath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool MakeFolder(const std::string& folder) {
    return CreateDirectoryW(ToWidePath(folder).c_str(), nullptr) || FolderExists(folder);
}

std::optional<std::int64_t> ExistingFileLength(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(ToWidePath(path).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
}

std::int64_t FileLength(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(ToWidePath(path).c_str(), GetFileExInfoStandard, &data)) {
        RaisePlatformError(static_cast<int>(GetLastError()), path);
    }
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
}

void ReadFileChunks(const std::string& path, const FileChunkHandler& onChunk) {
    // Others may read the file while we do, but not write it.
    FileHandle file(CreateFileW(ToWidePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        RaisePlatformError(static_cast<int>(GetLastError()), path);
    }
    char chunk[65536];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr)) {
            RaisePlatformError(static_cast<int>(GetLastError()), path);
        }
        if (got == 0 || !onChunk(std::string_view(chunk, got))) {
            break;
        }
    }
}

std::string ReadFileBytes(const std::string& path) {
    std::string bytes;
    ReadFileChunks(path, [&bytes](std::string_view chunk) {
        bytes.append(chunk);
        return true;
    });
    return bytes;
}

bool IsTooManyOpenFiles(int code) {
    return code == ERROR_TOO_MANY_OPEN_FILES;
}

std::size_t OpenFileLimit() {
    return 16384; // handles of CreateFileW are bounded only by memory
}

std::string ReadErrorReason(int code) {
    switch (code) {
        case ReadError::NotRegularFile:
            return "通常のファイルではありません";
        case ReadError::SizeChanged:
            return "読み取り中にファイルのサイズが変わりました";
        case ERROR_CRC:
        case ERROR_READ_FAULT:
        case ERROR_SECTOR_NOT_FOUND:
        case ERROR_IO_DEVICE:
            return "入出力エラーです";
        case ERROR_ACCESS_DENIED:
            return "アクセスが拒否されました";
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return "ファイルが使用中です";
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return "ファイルが見つかりません";
        case ERROR_TOO_MANY_OPEN_FILES:
            return "開いているファイルが多すぎます";
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY:
            return "メモリが足りません";
        case ERROR_NETNAME_DELETED:
        case ERROR_UNEXP_NET_ERR:
        case ERROR_BAD_NETPATH:
            return "ネットワーク上のファイルに接続できません";
        default: {
            std::string text = SystemMessage(static_cast<DWORD>(code));
            // The system's sentences end in a full stop; a reason in brackets does not.
            for (const std::string stop : {"。", "."}) {
                if (text.size() >= stop.size() && text.compare(text.size() - stop.size(), stop.size(), stop) == 0) {
                    text.erase(text.size() - stop.size());
                }
            }
            return text;
        }
    }
}

std::vector<FolderEntry> ListFolder(const std::string& folder, const StopRequested& stop) {
    std::vector<FolderEntry> entries;
    WIN32_FIND_DATAW data{};
    const std::string pattern = AddBackslash(folder.empty() ? std::string(".") : folder) + "*";
    HANDLE find = FindFirstFileW(ToWidePath(pattern).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        return entries;
    }
    constexpr std::size_t kStopEvery = 256;
    do {
        if (stop && entries.size() % kStopEvery == 0 && stop()) {
            break;
        }
        const std::string name = WideToUtf8(data.cFileName);
        if (name != "." && name != "..") {
            const bool folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            entries.push_back({name, !folder, folder});
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return entries;
}
