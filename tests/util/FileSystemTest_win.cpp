// Windows file behaviour: share modes while reading, the system's error numbers and texts, paths beyond
// 260 characters and names outside the ANSI code page.
#include "TempFolder.h"
#include "util/AppError.h"
#include "util/FileSystem.h"
#include "util/TextFile.h"
#include "util/WinText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <windows.h>

namespace {

// The system's own text for an error number, as FormatMessage gives it.
std::string SystemText(DWORD code) {
    wchar_t text[512] = {};
    std::wstring wide(text, FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                           text, 512, nullptr));
    while (!wide.empty() && (wide.back() == L'\n' || wide.back() == L'\r' || wide.back() == L' ')) {
        wide.pop_back();
    }
    return WideToUtf8(wide);
}

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using Handle = std::unique_ptr<void, HandleCloser>;

// Another opener of the file, as another program would hold it; empty when the system refuses.
Handle Open(const std::string& path, DWORD access, DWORD share) {
    const HANDLE handle = CreateFileW(Utf8ToWide(path).c_str(), access, share, nullptr, OPEN_EXISTING, 0, nullptr);
    return Handle(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

TEST(ReadTextFileWindows, SharingAndErrorsAsTheSystemHasThem) {
    TempFolder temp;
    const std::string list = temp.Write("list.md5", "a 1234\r\n");
    const struct {
        std::string path;
        DWORD access; // of another opener, none when 0
        DWORD share;
        DWORD error; // 0: the read succeeds
    } cases[] = {
        {list, GENERIC_READ, FILE_SHARE_READ, 0},
        // A writer, even one that lets everybody in, is kept out by our deny-write share mode.
        {list, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, ERROR_SHARING_VIOLATION},
        {list, GENERIC_READ, 0, ERROR_SHARING_VIOLATION},
        {temp.File("missing.md5"), 0, 0, ERROR_FILE_NOT_FOUND},
        {temp.File("no folder\\list.md5"), 0, 0, ERROR_PATH_NOT_FOUND},
        {temp.Path(), 0, 0, ERROR_ACCESS_DENIED}, // a folder
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path + " " + std::to_string(c.error));
        const Handle other = c.access != 0 ? Open(c.path, c.access, c.share) : nullptr;
        ASSERT_TRUE(c.access == 0 || other);
        try {
            EXPECT_EQ(ReadTextFile(c.path), "a 1234\r\n");
            EXPECT_EQ(c.error, 0u);
        } catch (const AppError& e) {
            EXPECT_EQ(e.Number(), static_cast<std::int32_t>(c.error));
            EXPECT_EQ(e.Description(), SystemText(c.error) + "(" + c.path + ")");
        }
    }
    // Closed again after reading: the file can be opened exclusively and deleted.
    EXPECT_TRUE(Open(list, GENERIC_READ | GENERIC_WRITE, 0));
    EXPECT_TRUE(DeleteFileW(Utf8ToWide(list).c_str()));
}

TEST(FileSystemWindows, NamesOutsideTheAnsiCodePage) {
    TempFolder temp;
    // Japanese (in code page 932), Korean and an emoji (not in it): the wide API reaches them all.
    for (const std::string name : {"検証データ①.md5", "한국어.md5", "😀.md5"}) {
        SCOPED_TRACE(name);
        const std::string path = temp.Write(name, "\x93\xFA\x96\x7B");
        EXPECT_TRUE(FileExists(path));
        EXPECT_EQ(FileLength(path), 4);
        EXPECT_EQ(ReadTextFile(path), "日本");
    }
    const auto entries = ListFolder(temp.Path());
    EXPECT_TRUE(std::any_of(entries.begin(), entries.end(),
                            [](const FolderEntry& entry) { return entry.name == "한국어.md5" && entry.isFile; }));
}

TEST(FileSystemWindows, PathsBeyond260Characters) {
    TempFolder temp;
    const auto longForm = [](const std::string& path) { return L"\\\\?\\" + Utf8ToWide(path); };
    std::string folder = temp.Path();
    while (folder.size() < 300) {
        folder += "\\" + std::string(40, 'd');
        ASSERT_TRUE(CreateDirectoryW(longForm(folder).c_str(), nullptr)) << GetLastError();
    }
    const std::string path = folder + "\\検証.md5";
    const HANDLE file = CreateFileW(longForm(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, "a 1234", 6, &written, nullptr);
    CloseHandle(file);

    EXPECT_TRUE(FileExists(path));
    EXPECT_FALSE(FileExists(folder));
    EXPECT_EQ(FileLength(path), 6);
    EXPECT_EQ(ReadTextFile(path), "a 1234");
    // Relative parts and "/" are resolved before the path is given its long form.
    const std::string roundabout = folder + "/../" + folder.substr(folder.rfind('\\') + 1) + "/検証.md5";
    EXPECT_EQ(ReadTextFile(roundabout), "a 1234");
    ASSERT_EQ(ListFolder(folder).size(), 1u);
    EXPECT_EQ(ListFolder(folder).front().name, "検証.md5");

    // The temporary folder's own clean-up does not reach this deep.
    DeleteFileW(longForm(path).c_str());
    for (; folder.size() > temp.Path().size(); folder.resize(folder.rfind('\\'))) {
        RemoveDirectoryW(longForm(folder).c_str());
    }
}

TEST(FileExistsWindows, AttributesOtherThanFolderStillMeanAFile) {
    TempFolder temp;
    const std::string path = temp.Write("hidden.md5", "x");
    ASSERT_TRUE(SetFileAttributesW(Utf8ToWide(path).c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(FileExists(path));
    EXPECT_EQ(ReadTextFile(path), "x");
    SetFileAttributesW(Utf8ToWide(path).c_str(), FILE_ATTRIBUTE_NORMAL); // so the folder can be removed
}

} // namespace
