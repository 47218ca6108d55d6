// Where the settings file and the theme folders are: portable beside the program, installed in the
// user's XDG folders; and the first save that makes the settings folder.
#include "config/FileLocations.h"
#include "config/clsSettings.h"

#include "TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

struct LocationRow {
    const char* name;
    LocationFacts facts;
    const char* settingsFile;
    std::vector<std::string> themeFolders;
};

LocationFacts Facts(std::string exe, bool writable, bool installed, std::string home, std::string config = {},
                    std::string data = {}) {
    LocationFacts facts;
    facts.executablePath = std::move(exe);
    facts.executableFolderWritable = writable;
    facts.runsFromInstall = installed;
    facts.installedDataFolder = "/usr/share";
    facts.homeFolder = std::move(home);
    facts.configHome = std::move(config);
    facts.dataHome = std::move(data);
    return facts;
}

const std::vector<std::string> kInstalledThemes = {"/usr/bin/theme/", "/home/u/.local/share/ferrule/theme/",
                                                   "/usr/share/ferrule/theme/"};

// Sets an environment variable for the life of the object and puts the old value back.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value) : m_Name(name) {
        if (const char* old = std::getenv(name)) {
            m_Old = old;
        }
        value != nullptr ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedEnvironment() { m_Old ? ::setenv(m_Name, m_Old->c_str(), 1) : ::unsetenv(m_Name); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* m_Name;
    std::optional<std::string> m_Old;
};

} // namespace

TEST(FileLocations, DecidedByInstallWritabilityAndTheUsersFolders) {
    const LocationRow rows[] = {
        {"portable copy: everything beside the program",
         Facts("/opt/tools/ferrule", true, false, "/home/u"),
         "/opt/tools/ferrule.ini",
         {"/opt/tools/theme/"}},
        {"portable copy named otherwise keeps its own name",
         Facts("/opt/tools/ferrule-2.bin", true, false, "/home/u"),
         "/opt/tools/ferrule-2.ini",
         {"/opt/tools/theme/"}},
        {"installed copy, even where it can write (root)", Facts("/usr/bin/ferrule", true, true, "/home/u"),
         "/home/u/.config/ferrule/ferrule.ini", kInstalledThemes},
        {"a folder it cannot write",
         Facts("/media/cd/ferrule", false, false, "/home/u"),
         "/home/u/.config/ferrule/ferrule.ini",
         {"/media/cd/theme/", "/home/u/.local/share/ferrule/theme/", "/usr/share/ferrule/theme/"}},
        {"XDG folders when set",
         Facts("/usr/bin/ferrule", false, true, "/home/u", "/cfg/", "/data"),
         "/cfg/ferrule/ferrule.ini",
         {"/usr/bin/theme/", "/data/ferrule/theme/", "/usr/share/ferrule/theme/"}},
        {"relative XDG folders are ignored", Facts("/usr/bin/ferrule", true, true, "/home/u", "cfg", "data"),
         "/home/u/.config/ferrule/ferrule.ini", kInstalledThemes},
        {"no home and no XDG folders: nowhere to keep settings",
         Facts("/usr/bin/ferrule", true, true, ""),
         "",
         {"/usr/bin/theme/", "/usr/share/ferrule/theme/"}},
        {"root's home",
         Facts("/usr/bin/ferrule", true, true, "/root"),
         "/root/.config/ferrule/ferrule.ini",
         {"/usr/bin/theme/", "/root/.local/share/ferrule/theme/", "/usr/share/ferrule/theme/"}},
        {"no program path", Facts("", true, false, "/home/u"), "", {}},
    };
    for (const LocationRow& row : rows) {
        SCOPED_TRACE(row.name);
        const FileLocations locations = DecideFileLocations(row.facts);
        EXPECT_EQ(locations.settingsFile, row.settingsFile);
        EXPECT_EQ(locations.themeFolders, row.themeFolders);
        EXPECT_EQ(locations.inUserFolders, row.facts.runsFromInstall || !row.facts.executableFolderWritable);
    }
}

TEST(FileLocations, ACopyInAWritableFolderIsPortableWhateverTheEnvironment) {
    TempFolder folder;
    ScopedEnvironment config("XDG_CONFIG_HOME", folder.File("config").c_str());
    const FileLocations locations = CurrentFileLocations(folder.File("ferrule"));
    EXPECT_FALSE(locations.inUserFolders);
    EXPECT_EQ(locations.settingsFile, folder.File("ferrule.ini"));
}

TEST(FileLocations, ACopyInAFolderItCannotWriteKeepsItsSettingsInTheUsersConfigFolder) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root writes into any folder; the install folder decides for root (see the table)";
    }
    TempFolder folder;
    fs::create_directory(folder.File("app"));
    fs::permissions(folder.File("app"), fs::perms::owner_read | fs::perms::owner_exec);
    ScopedEnvironment config("XDG_CONFIG_HOME", folder.File("config").c_str());
    const FileLocations locations = CurrentFileLocations(folder.File("app/ferrule"));
    EXPECT_TRUE(locations.inUserFolders);
    EXPECT_EQ(locations.settingsFile, folder.File("config/ferrule/ferrule.ini"));
    fs::permissions(folder.File("app"), fs::perms::owner_all);
}

TEST(FileLocations, TheFirstSaveMakesTheSettingsFolderForTheUserAlone) {
    TempFolder folder;
    clsSettings settings(folder.File("app/ferrule"));
    settings.setSettingsFile(folder.File("config/ferrule/ferrule.ini"));
    settings.LoadSettings();
    EXPECT_EQ(settings.SettingsFilePath(), folder.File("config/ferrule/ferrule.ini"));
    settings.setWindowTopMost(true);
    settings.SaveSettings();

    struct stat info {};
    ASSERT_EQ(::stat(folder.File("config/ferrule").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    clsSettings again(folder.File("app/ferrule"));
    again.setSettingsFile(folder.File("config/ferrule/ferrule.ini"));
    again.LoadSettings();
    EXPECT_TRUE(again.WindowTopMost());
    EXPECT_FALSE(fs::exists(folder.File("app")));
}

TEST(FileLocations, SettingsWithNowhereToGoAreNotSavedAndLoadAsDefaults) {
    TempFolder folder;
    const std::string blocked = folder.Write("config", "a file where the folder should be");
    for (const std::string& file : {std::string(), blocked + "/ferrule/ferrule.ini"}) {
        clsSettings settings(folder.File("ferrule"));
        settings.setSettingsFile(file);
        settings.LoadSettings();
        settings.setWindowTopMost(true);
        EXPECT_NO_THROW(settings.SaveSettings());
        settings.LoadSettings();
        EXPECT_FALSE(settings.WindowTopMost());
    }
    EXPECT_FALSE(fs::exists(folder.File("ferrule.ini"))); // never beside the program instead
}
