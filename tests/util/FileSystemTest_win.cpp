// Windows file behaviour: share modes while reading, the system's error numbers and texts, paths beyond
// 260 characters and names outside the ANSI code page.
#include "TempFolder.h"
#include "util/AppError.h"
#include "util/FileSystem.h"
#include "util/TextFile.h"

#include <gtest/gtest.h>

#include <string>
#include <windows.h>

namespace {

std::wstring Wide(const std::string& utf8) {
    std::wstring wide(utf8.size() + 1, L'\0');
    wide.resize(static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                                             wide.data(), static_cast<int>(wide.size()))));
    return wide;
}

// The system's own text for an error number, as FormatMessage gives it.
std::string SystemText(DWORD code) {
    wchar_t text[512] = {};
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                        text, 512, nullptr);
    std::wstring wide(text, length);
    while (!wide.empty() && (wide.back() == L'\n' || wide.back() == L'\r' || wide.back() == L' ')) {
        wide.pop_back();
    }
    std::string utf8(wide.size() * 3, '\0');
    utf8.resize(
        static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                                     utf8.data(), static_cast<int>(utf8.size()), nullptr, nullptr)));
    return utf8;
}

// Another opener of the file, as another program would hold it.
class OtherHandle {
public:
    OtherHandle(const std::string& path, DWORD access, DWORD share)
        : m_Handle(CreateFileW(Wide(path).c_str(), access, share, nullptr, OPEN_EXISTING, 0, nullptr)) {}
    ~OtherHandle() {
        if (m_Handle != INVALID_HANDLE_VALUE) {
            CloseHandle(m_Handle);
        }
    }
    OtherHandle(const OtherHandle&) = delete;
    OtherHandle& operator=(const OtherHandle&) = delete;
    bool valid() const { return m_Handle != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_Handle = INVALID_HANDLE_VALUE;
};

void ExpectReadError(const std::string& path, DWORD code) {
    try {
        ReadTextFile(path);
        FAIL() << "no error for " << path;
    } catch (const AppError& e) {
        EXPECT_EQ(e.Number(), static_cast<std::int32_t>(code));
        EXPECT_EQ(e.Description(), SystemText(code) + "(" + path + ")");
    }
}

TEST(ReadTextFileWindows, OthersMayReadAlongButNotWrite) {
    TempFolder temp;
    const std::string path = temp.Write("list.md5", "a 1234\r\n");
    {
        const OtherHandle reader(path, GENERIC_READ, FILE_SHARE_READ);
        ASSERT_TRUE(reader.valid());
        EXPECT_EQ(ReadTextFile(path), "a 1234\r\n");
    }
    {
        // A writer, even one that lets everybody in, is kept out by our deny-write share mode.
        const OtherHandle writer(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
        ASSERT_TRUE(writer.valid());
        ExpectReadError(path, ERROR_SHARING_VIOLATION);
    }
    {
        const OtherHandle locker(path, GENERIC_READ, 0);
        ASSERT_TRUE(locker.valid());
        ExpectReadError(path, ERROR_SHARING_VIOLATION);
    }
    // Closed again after reading: the file can be opened exclusively and deleted.
    EXPECT_EQ(ReadTextFile(path), "a 1234\r\n");
    EXPECT_TRUE(OtherHandle(path, GENERIC_READ | GENERIC_WRITE, 0).valid());
    EXPECT_TRUE(DeleteFileW(Wide(path).c_str()));
}

TEST(ReadTextFileWindows, ErrorsCarryTheSystemsNumberAndText) {
    TempFolder temp;
    ExpectReadError(temp.File("missing.md5"), ERROR_FILE_NOT_FOUND);
    ExpectReadError(temp.File("no folder\\list.md5"), ERROR_PATH_NOT_FOUND);
    ExpectReadError(temp.Path(), ERROR_ACCESS_DENIED); // a folder
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
    bool listed = false;
    for (const FolderEntry& entry : ListFolder(temp.Path())) {
        listed = listed || (entry.name == "한국어.md5" && entry.isFile);
    }
    EXPECT_TRUE(listed);
}

TEST(FileSystemWindows, PathsBeyond260Characters) {
    TempFolder temp;
    std::string folder = temp.Path();
    while (folder.size() < 300) {
        folder += "\\" + std::string(40, 'd');
        ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + Wide(folder)).c_str(), nullptr)) << GetLastError();
    }
    const std::string path = folder + "\\検証.md5";
    const HANDLE file =
        CreateFileW((L"\\\\?\\" + Wide(path)).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
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
    DeleteFileW((L"\\\\?\\" + Wide(path)).c_str());
    while (folder.size() > temp.Path().size()) {
        RemoveDirectoryW((L"\\\\?\\" + Wide(folder)).c_str());
        folder.resize(folder.rfind('\\'));
    }
}

TEST(FileExistsWindows, AttributesOtherThanFolderStillMeanAFile) {
    TempFolder temp;
    const std::string path = temp.Write("hidden.md5", "x");
    ASSERT_TRUE(SetFileAttributesW(Wide(path).c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(FileExists(path));
    EXPECT_EQ(ReadTextFile(path), "x");
    SetFileAttributesW(Wide(path).c_str(), FILE_ATTRIBUTE_NORMAL); // so the folder can be removed
}

} // namespace
