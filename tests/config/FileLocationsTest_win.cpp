// Windows copies are portable wherever they are: the settings file and the themes beside the executable,
// with the drive, network and long-name forms of Windows paths.
#include "config/FileLocations.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct WindowsLocationRow {
    const char* name;
    const char* executable;
    const char* settingsFile;
    const char* themeFolder;
};

class WindowsFileLocations : public testing::TestWithParam<WindowsLocationRow> {};

TEST_P(WindowsFileLocations, StayBesideTheExecutable) {
    const WindowsLocationRow& row = GetParam();
    const FileLocations locations = CurrentFileLocations(row.executable);
    EXPECT_FALSE(locations.inUserFolders);
    EXPECT_EQ(locations.settingsFile, row.settingsFile);
    EXPECT_EQ(locations.themeFolders, std::vector<std::string>{row.themeFolder});
}

INSTANTIATE_TEST_SUITE_P(
    Paths, WindowsFileLocations,
    testing::Values(WindowsLocationRow{"Folder", R"(C:\Tools\Ferrule\ferrule.exe)", R"(C:\Tools\Ferrule\ferrule.ini)",
                                       R"(C:\Tools\Ferrule\theme\)"},
                    // Even where an installer would put it: a Windows copy has no installed form.
                    WindowsLocationRow{"ProgramFiles", R"(C:\Program Files\Ferrule\ferrule.exe)",
                                       R"(C:\Program Files\Ferrule\ferrule.ini)", R"(C:\Program Files\Ferrule\theme\)"},
                    WindowsLocationRow{"DriveRoot", R"(D:\ferrule.exe)", R"(D:\ferrule.ini)", R"(D:\theme\)"},
                    WindowsLocationRow{"Network", R"(\\server\share\tools\ferrule.exe)",
                                       R"(\\server\share\tools\ferrule.ini)", R"(\\server\share\tools\theme\)"},
                    WindowsLocationRow{"Renamed", R"(C:\x\Checker.EXE)", R"(C:\x\Checker.ini)", R"(C:\x\theme\)"},
                    WindowsLocationRow{"JapaneseFolder", "C:\\ツール\\ferrule.exe", "C:\\ツール\\ferrule.ini",
                                       "C:\\ツール\\theme\\"}),
    [](const testing::TestParamInfo<WindowsLocationRow>& info) { return std::string(info.param.name); });

} // namespace
