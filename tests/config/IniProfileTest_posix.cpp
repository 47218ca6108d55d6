// The portable INI functions on POSIX file-system features: pipes, symbolic links, permission bits.
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

TEST(IniPortable, PipeUnderTheNameNeitherBlocksNorIsWritten) {
    TempFolder folder;
    ASSERT_EQ(::mkfifo(folder.File("pipe.ini").c_str(), 0600), 0);
    EXPECT_EQ(PortableGetProfileText("S", "A", "d", folder.File("pipe.ini")), "d");
    EXPECT_FALSE(PortableWriteProfileText("S", "A", "1", folder.File("pipe.ini")));
}

TEST(IniPortable, ReplacesTheFileSafely) {
    TempFolder folder;
    const std::string target = folder.Write("real.ini", "[S]\r\nA=1\r\n");
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink(target, folder.File("link.ini"));
    EXPECT_TRUE(PortableWriteProfileText("S", "A", "2", folder.File("link.ini")));
    EXPECT_TRUE(fs::is_symlink(folder.File("link.ini")));
    EXPECT_EQ(FileBytes(target), "[S]\r\nA=2\r\n");
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder.Path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 2u) << "no temporary file left behind";
}

// Permission tests need a user for whom permissions count.
bool PermissionsEnforced(const std::string& unreadableFile) {
    std::ifstream probe(unreadableFile);
    return !probe.is_open();
}

TEST(IniPortable, UnreadableFileIsNeverOverwritten) {
    TempFolder folder;
    const std::string path = folder.Write("locked.ini", "[S]\r\nA=1\r\n");
    fs::permissions(path, fs::perms::none);
    if (!PermissionsEnforced(path)) {
        GTEST_SKIP() << "file permissions are not enforced for this user";
    }
    EXPECT_EQ(PortableGetProfileText("S", "A", "d", path), "d");
    EXPECT_FALSE(PortableWriteProfileText("S", "A", "2", path));
    fs::permissions(path, fs::perms::owner_read);
    EXPECT_EQ(FileBytes(path), "[S]\r\nA=1\r\n");
    EXPECT_FALSE(PortableWriteProfileText("S", "A", "2", path)) << "a read-only file stays as it is";
}

TEST(IniPortable, ReadOnlyFolder) {
    TempFolder folder;
    const std::string existing = folder.Write("old.ini", "[S]\r\nA=1\r\n");
    const std::string probe = folder.Write("probe", "");
    fs::permissions(probe, fs::perms::none);
    if (!PermissionsEnforced(probe)) {
        GTEST_SKIP() << "file permissions are not enforced for this user";
    }
    fs::permissions(folder.Path(), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_FALSE(PortableWriteProfileText("S", "A", "1", folder.File("new.ini")));
    EXPECT_FALSE(fs::exists(folder.File("new.ini")));
    // An existing writable file is still written, over its old contents.
    EXPECT_TRUE(PortableWriteProfileText("S", "A", "22", existing));
    EXPECT_EQ(FileBytes(existing), "[S]\r\nA=22\r\n");
    EXPECT_TRUE(PortableWriteProfileText("S", "A", "3", existing));
    EXPECT_EQ(FileBytes(existing), "[S]\r\nA=3\r\n");
}

} // namespace
