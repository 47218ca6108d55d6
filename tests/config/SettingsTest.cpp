// The settings file: defaults, loading with its all-or-nothing fallback, saving, and the file's place.
#include "config/clsSettings.h"

#include "TempFolder.h"
#include "TestPlatform.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void ExpectDefaults(const clsSettings& s) {
    EXPECT_EQ(s.LogWindowLeft(), 0.0f);
    EXPECT_EQ(s.LogWindowTop(), 0.0f);
    EXPECT_EQ(s.LogWindowWidth(), 0.0f);
    EXPECT_EQ(s.LogWindowHeight(), 0.0f);
    EXPECT_FALSE(s.ShowLogWindow());
    EXPECT_EQ(s.ThemeName(), "");
    EXPECT_EQ(s.WindowLeft(), 0.0f);
    EXPECT_EQ(s.WindowTop(), 0.0f);
    EXPECT_FALSE(s.WindowTopMost());
}

// A settings object whose executable lies in a temporary folder.
class SettingsTest : public ::testing::Test {
protected:
    std::string WriteSettings(const std::string& bytes) { return m_Folder.Write("ferrule.ini", bytes); }
    clsSettings Load(double x = 15, double y = 15) {
        clsSettings settings(m_Folder.File("ferrule"), x, y);
        settings.LoadSettings();
        return settings;
    }
    TempFolder m_Folder;
};

TEST(SettingsPath, BesideTheExecutable) {
    const std::pair<const char*, const char*> cases[] = {
        {"/opt/app/ferrule", "/opt/app/ferrule.ini"},
        {"/opt/app/ferrule.exe", "/opt/app/ferrule.ini"},
        {"/opt/my.app/tool.v2.bin", "/opt/my.app/tool.v2.ini"},
        {"/ferrule", "/ferrule.ini"},
        {"", ""},
    };
    for (const auto& [exe, ini] : cases) {
        SCOPED_TRACE(exe);
        const clsSettings settings(exe);
        EXPECT_EQ(settings.SettingsFilePath(), ini);
        ExpectDefaults(settings);
    }
    clsSettings moved("/a/x");
    moved.setExecutablePath("/b/y");
    EXPECT_EQ(moved.SettingsFilePath(), "/a/x.ini");
    moved.InitSettings();
    EXPECT_EQ(moved.SettingsFilePath(), "/b/y.ini");
}

TEST_F(SettingsTest, NoFileGivesDefaultsAndSaveWritesAllKeysInOrder) {
    clsSettings settings = Load(15, 12);
    ExpectDefaults(settings);
    settings.setLogWindowHeight(4500); // / 12 -> 375
    settings.setLogWindowLeft(1234);   // / 15 -> 82
    settings.setLogWindowTop(-300);    // / 12 -> -25
    settings.setLogWindowWidth(7);     // / 15 -> 0
    settings.setShowLogWindow(true);
    settings.setThemeName(" blue ");
    settings.setWindowLeft(22.5f); // 22 (ties to even) / 15 -> 1
    settings.setWindowTop(-7.5f);  // -8 / 12 -> 0 (toward zero)
    settings.setWindowTopMost(false);
    settings.SaveSettings();
    const std::string bytes = FileBytes(m_Folder.File("ferrule.ini"));
    // The name is written as held. On Windows the system's WritePrivateProfileStringA writes it, and
    // Wine's drops the blanks around a value; reading trims them anyway.
    const bool blanksDropped = OnWindows() && bytes.find("\r\nThemeName=blue\r\n") != std::string::npos;
    EXPECT_EQ(bytes, "[Settings]\r\nLogWindowHeight=375\r\nLogWindowLeft=82\r\nLogWindowTop=-25\r\nLogWindowWidth=0\r\n"
                     "ShowLogWindow=1\r\nThemeName=" +
                         std::string(blanksDropped ? "blue" : " blue ") +
                         "\r\nWindowLeft=1\r\nWindowTop=0\r\nWindowTopMost=0\r\n");
    EXPECT_EQ(Load().ThemeName(), "blue");
}

TEST_F(SettingsTest, SaveRoundsTheRatios) {
    clsSettings settings(m_Folder.File("ferrule"), 14.5, 12.5); // 14 and 12, ties to even
    settings.setWindowLeft(140);
    settings.setWindowTop(120);
    settings.setLogWindowWidth(-300);
    settings.setWindowTopMost(true);
    settings.SaveSettings();
    const std::string bytes = FileBytes(m_Folder.File("ferrule.ini"));
    EXPECT_NE(bytes.find("\r\nWindowLeft=10\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("\r\nWindowTop=10\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("\r\nLogWindowWidth=-21\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("\r\nWindowTopMost=1\r\n"), std::string::npos);
}

TEST_F(SettingsTest, LoadsEveryKey) {
    WriteSettings("[settings]\r\nlogwindowleft=10\r\nLogWindowTop=-3\r\nLogWindowWidth= +400 \r\n"
                  "LogWindowHeight=300.5\r\nShowLogWindow=on\r\nThemeName=  blue sky  \r\nWindowLeft=12.5\r\n"
                  "WindowTop=13.5\r\nWindowTopMost=Yes\r\n");
    const clsSettings s = Load(15, 12);
    EXPECT_EQ(s.LogWindowLeft(), 150.0f);
    EXPECT_EQ(s.LogWindowTop(), -36.0f);
    EXPECT_EQ(s.LogWindowWidth(), 6000.0f);
    EXPECT_EQ(s.LogWindowHeight(), 3600.0f); // 300.5 -> 300
    EXPECT_TRUE(s.ShowLogWindow());
    EXPECT_EQ(s.ThemeName(), "blue sky");
    EXPECT_EQ(s.WindowLeft(), 180.0f); // 12.5 -> 12
    EXPECT_EQ(s.WindowTop(), 168.0f);  // 13.5 -> 14
    EXPECT_TRUE(s.WindowTopMost());
}

TEST_F(SettingsTest, FlagValues) {
    const std::pair<const char*, bool> cases[] = {
        {"on", true},   {"\" Yes \"", true}, {"TRUE", true}, {"1", true}, {"-5", true},
        {"off", false}, {"No", false},       {"0", false},   {"", false}, {"\"  \"", false},
    };
    for (const auto& [value, expected] : cases) {
        SCOPED_TRACE(value);
        WriteSettings(std::string("[Settings]\r\nShowLogWindow=") + value + "\r\nThemeName=blue\r\n");
        const clsSettings s = Load();
        EXPECT_EQ(s.ShowLogWindow(), expected);
        EXPECT_EQ(s.ThemeName(), "blue") << "the rest of the file still loads";
    }
}

TEST_F(SettingsTest, BadValueResetsEverything) {
    const char* cases[] = {
        "ShowLogWindow=maybe", "WindowLeft=abc",       "WindowTopMost=yes please", "LogWindowLeft=1e3",
        "LogWindowTop=0x10",   "WindowTop=2147483648", "LogWindowHeight=12px",     "WindowLeft=1 2",
    };
    for (const char* bad : cases) {
        SCOPED_TRACE(bad);
        WriteSettings(std::string("[Settings]\r\nLogWindowLeft=5\r\nLogWindowTop=5\r\nShowLogWindow=1\r\n"
                                  "ThemeName=blue\r\nWindowTopMost=1\r\n[Settings2]\r\nWindowLeft=1\r\n") +
                      "[Settings]\r\n" + bad + "\r\n");
        // The bad line goes into a second [Settings] section, which is never read: the first wins.
        EXPECT_EQ(Load().ThemeName(), "blue");
        WriteSettings(std::string("[Settings]\r\n") + bad + "\r\nLogWindowLeft=5\r\nLogWindowTop=5\r\n" +
                      "ShowLogWindow=1\r\nThemeName=blue\r\nWindowTopMost=1\r\n");
        ExpectDefaults(Load());
    }
}

TEST_F(SettingsTest, LoadStartsFromDefaults) {
    clsSettings settings(m_Folder.File("ferrule"));
    settings.setThemeName("x");
    settings.setWindowLeft(100);
    settings.setShowLogWindow(true);
    settings.LoadSettings(); // no file
    ExpectDefaults(settings);
}

TEST_F(SettingsTest, RoundTripKeepsOtherContent) {
    WriteSettings("; hand-written\r\n[Other]\r\nX=1\r\n[Settings]\r\nCustom=keep\r\nwindowleft=5\r\n");
    clsSettings settings = Load();
    EXPECT_EQ(settings.WindowLeft(), 75.0f);
    settings.setWindowLeft(1500);
    settings.setLogWindowWidth(3000);
    settings.setThemeName("テーマ");
    settings.setWindowTopMost(true);
    settings.SaveSettings();
    const std::string bytes = FileBytes(m_Folder.File("ferrule.ini"));
    EXPECT_EQ(bytes.rfind("; hand-written\r\n[Other]\r\nX=1\r\n[Settings]\r\nCustom=keep\r\nwindowleft=100\r\n", 0),
              0u);
    EXPECT_NE(bytes.find("ThemeName=\x83\x65\x81\x5B\x83\x7D\r\n"), std::string::npos);
    const clsSettings again = Load();
    EXPECT_EQ(again.WindowLeft(), 1500.0f);
    EXPECT_EQ(again.LogWindowWidth(), 3000.0f);
    EXPECT_EQ(again.ThemeName(), "テーマ");
    EXPECT_TRUE(again.WindowTopMost());
    EXPECT_FALSE(again.ShowLogWindow());
}

TEST_F(SettingsTest, LongThemeNameIsCut) {
    WriteSettings("[Settings]\r\nThemeName=" + std::string(300, 't') + "\r\n");
    EXPECT_EQ(Load().ThemeName(), std::string(254, 't'));
}

TEST_F(SettingsTest, HandEditedFiles) {
    const std::pair<const char*, std::string> cases[] = {
        {"UTF-8 byte-order mark", "\xEF\xBB\xBF[Settings]\r\nWindowLeft=2\r\n"},
        {"CR-only line ends", "[Settings]\rWindowLeft=2\r"},
        {"LF-only line ends", "[Settings]\nWindowLeft=2\n"},
        {"blanks everywhere", "   [Settings]   \r\n   WindowLeft   =   2   \r\n"},
        {"keys outside a section", "WindowLeft=9\r\n[Settings]\r\nWindowLeft=2\r\n"},
        {"duplicate keys", "[Settings]\r\nWindowLeft=2\r\nWindowLeft=bad\r\n"},
        {"long line", "[Settings]\r\nX=" + std::string(10000, 'x') + "\r\nWindowLeft=2\r\n"},
        {"binary garbage", "\x00\xff\x81\r\n[Settings]\r\n\x80\x00=\x01\r\nWindowLeft=2\r\n"s},
    };
    for (const auto& [what, bytes] : cases) {
        SCOPED_TRACE(what);
        WriteSettings(bytes);
        clsSettings settings = Load();
        EXPECT_EQ(settings.WindowLeft(), 30.0f);
        settings.setWindowLeft(60);
        settings.SaveSettings();
        EXPECT_EQ(Load().WindowLeft(), 60.0f);
    }
}

TEST_F(SettingsTest, UnusableLocations) {
    fs::create_directory(m_Folder.File("ferrule.ini"));
    clsSettings settings = Load();
    ExpectDefaults(settings);
    settings.setWindowLeft(30);
    settings.SaveSettings(); // silently lost
    EXPECT_TRUE(fs::is_directory(m_Folder.File("ferrule.ini")));

    clsSettings nowhere(m_Folder.File("missing/ferrule"));
    nowhere.setWindowLeft(30);
    nowhere.SaveSettings();
    EXPECT_FALSE(fs::exists(m_Folder.File("missing")));

    clsSettings none; // no executable path: no file at all
    none.setWindowLeft(30);
    none.SaveSettings();
    none.LoadSettings();
    ExpectDefaults(none);
}

} // namespace
