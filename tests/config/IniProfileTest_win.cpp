// The INI functions on Windows: the system's own (routed) and ours side by side on Windows paths.
#include "util/IniProfile.h"

#include "TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <windows.h>

namespace {

namespace fs = std::filesystem;

std::string FileBytes(const std::string& path) {
    std::ifstream in(fs::u8path(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(IniWindows, JapaneseFolderNamesReachBoth) {
    TempFolder folder;
    fs::create_directory(fs::u8path(folder.File("設定")));
    const std::string routed = folder.File("設定/routed.ini");
    const std::string portable = folder.File("設定/portable.ini");
    EXPECT_TRUE(WriteProfileText("Settings", "ThemeName", "青空", routed));
    EXPECT_TRUE(PortableWriteProfileText("Settings", "ThemeName", "青空", portable));
    EXPECT_EQ(FileBytes(routed), "[Settings]\r\nThemeName=\x90\xC2\x8B\xF3\r\n");
    EXPECT_EQ(FileBytes(portable), FileBytes(routed));
    EXPECT_EQ(GetProfileText("Settings", "ThemeName", "", portable), "青空");
    EXPECT_EQ(PortableGetProfileText("Settings", "ThemeName", "", routed), "青空");
}

TEST(IniWindows, ThePathIsNeverTakenForALookAlike) {
    // The system's functions take the path in code page 932, which has no "é": it must not become "e"
    // and write into the neighbouring folder. Ours, on the wide path, reach the right one.
    TempFolder folder;
    fs::create_directory(fs::u8path(folder.File("café")));
    fs::create_directory(folder.File("cafe"));
    const std::string path = folder.File("café/s.ini");
    EXPECT_FALSE(WriteProfileText("S", "A", "1", path));
    EXPECT_EQ(GetProfileText("S", "A", "d", path), "d");
    EXPECT_TRUE(PortableWriteProfileText("S", "A", "1", path));
    EXPECT_EQ(PortableGetProfileText("S", "A", "d", path), "1");
    EXPECT_FALSE(fs::exists(folder.File("cafe/s.ini")));
}

TEST(IniWindows, ReadOnlyFileIsLeftAlone) {
    TempFolder folder;
    const std::string path = folder.Write("locked.ini", "[S]\r\nA=1\r\n");
    const std::wstring wide = fs::u8path(path).wstring();
    ASSERT_TRUE(SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_READONLY));
    if (HANDLE probe = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        probe != INVALID_HANDLE_VALUE) {
        CloseHandle(probe);
        SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
        GTEST_SKIP() << "the read-only attribute is not enforced here (Wine run by root maps it to permission bits)";
    }
    EXPECT_FALSE(WriteProfileText("S", "A", "2", path));
    EXPECT_FALSE(PortableWriteProfileText("S", "A", "2", path));
    EXPECT_EQ(FileBytes(path), "[S]\r\nA=1\r\n");
    EXPECT_EQ(GetProfileText("S", "A", "", path), "1");
    SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL); // so the folder can be removed
}

} // namespace
