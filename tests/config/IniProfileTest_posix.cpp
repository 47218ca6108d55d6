// Our INI functions on POSIX file-system features: pipes, symbolic links, permission bits.
#include "util/IniProfile.h"

#include "TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(IniPosix, PipeUnderTheNameNeitherBlocksNorIsWritten) {
    TempFolder folder;
    ASSERT_EQ(::mkfifo(folder.File("pipe.ini").c_str(), 0600), 0);
    EXPECT_EQ(PortableGetProfileText("S", "A", "d", folder.File("pipe.ini")), "d");
    EXPECT_FALSE(PortableWriteProfileText("S", "A", "1", folder.File("pipe.ini")));
}

TEST(IniPosix, ReplacesTheLinkedFileKeepingItsPermissions) {
    TempFolder folder;
    const std::string target = folder.Write("real.ini", "[S]\r\nA=1\r\n");
    const fs::perms perms = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(target, perms);
    fs::create_symlink(target, folder.File("link.ini"));
    EXPECT_TRUE(PortableWriteProfileText("S", "A", "2", folder.File("link.ini")));
    EXPECT_TRUE(fs::is_symlink(folder.File("link.ini")));
    EXPECT_EQ(FileBytes(target), "[S]\r\nA=2\r\n");
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all, perms);
    const auto entries = std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator());
    EXPECT_EQ(entries, 2) << "no temporary file left behind";
}

TEST(IniPosix, PermissionsAreRespected) {
    TempFolder folder;
    const std::string path = folder.Write("locked.ini", "[S]\r\nA=1\r\n");
    fs::permissions(path, fs::perms::owner_write);
    if (std::ifstream(path).is_open()) {
        GTEST_SKIP() << "file permissions are not enforced for this user";
    }
    // Writable but not readable: writing without the old contents would lose them.
    EXPECT_EQ(PortableGetProfileText("S", "A", "d", path), "d");
    EXPECT_FALSE(PortableWriteProfileText("S", "A", "2", path));
    fs::permissions(path, fs::perms::owner_read);
    EXPECT_FALSE(PortableWriteProfileText("S", "A", "2", path));
    EXPECT_EQ(FileBytes(path), "[S]\r\nA=1\r\n");

    // In a read-only folder no file can be made, but a writable one is written over in place.
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
    fs::permissions(folder.Path(), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_FALSE(PortableWriteProfileText("S", "A", "1", folder.File("new.ini")));
    EXPECT_FALSE(fs::exists(folder.File("new.ini")));
    EXPECT_TRUE(PortableWriteProfileText("S", "A", "22", path));
    EXPECT_TRUE(PortableWriteProfileText("S", "A", "3", path));
    EXPECT_EQ(FileBytes(path), "[S]\r\nA=3\r\n") << "cut to its new length";
}

} // namespace
