// The settings file: defaults, loading with its all-or-nothing fallback, saving, and the file's place.
#include "config/clsSettings.h"

#include "TempFolder.h"
#include "TestPlatform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace {

namespace fs = std::filesystem;

// Every setting on one line, in the file's key order, so one comparison shows them all.
std::string Values(const clsSettings& s) {
    std::ostringstream out;
    out << s.LogWindowHeight() << ' ' << s.LogWindowLeft() << ' ' << s.LogWindowTop() << ' ' << s.LogWindowWidth()
        << ' ' << s.ShowLogWindow() << " [" << s.ThemeName() << "] " << s.WindowLeft() << ' ' << s.WindowTop() << ' '
        << s.WindowTopMost();
    return out.str();
}

const std::string kDefaults = "0 0 0 0 0 [] 0 0 0";

// Settings whose executable lies in a temporary folder.
class SettingsTest : public ::testing::Test {
protected:
    clsSettings Load(double x = 15, double y = 15) {
        clsSettings settings(m_Folder.File("ferrule"), x, y);
        settings.LoadSettings();
        return settings;
    }
    std::string Saved() const {
        std::ifstream in(fs::u8path(m_Folder.File("ferrule.ini")), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    TempFolder m_Folder;
};

TEST(SettingsPath, BesideTheExecutable) {
    const std::pair<std::string, std::string> cases[] = {{"/opt/my.app/ferrule", "/opt/my.app/ferrule.ini"},
                                                         {"/opt/app/ferrule.exe", "/opt/app/ferrule.ini"},
                                                         {"/opt/app/tool.v2.bin", "/opt/app/tool.v2.ini"},
                                                         {"", ""}};
    for (auto [exe, ini] : cases) {
        // In the platform's own form, as the system gives the executable's path.
        std::replace(exe.begin(), exe.end(), '/', PathSeparator());
        std::replace(ini.begin(), ini.end(), '/', PathSeparator());
        const clsSettings settings(exe);
        EXPECT_EQ(settings.SettingsFilePath(), ini);
        EXPECT_EQ(Values(settings), kDefaults);
    }
}

TEST_F(SettingsTest, NoFileGivesDefaultsAndSaveWritesAllKeysInOrder) {
    clsSettings settings(m_Folder.File("ferrule"), 14.5, 12.5); // 14 and 12 twips per pixel, ties to even
    settings.setThemeName("x");
    settings.LoadSettings();
    EXPECT_EQ(Values(settings), kDefaults);
    settings.setLogWindowHeight(4500); // 375
    settings.setLogWindowLeft(1234);   // 88, not 1234 / 14.5
    settings.setLogWindowTop(-310);    // -25, toward zero
    settings.setLogWindowWidth(7);
    settings.setShowLogWindow(true);
    settings.setThemeName(" blue ");
    settings.setWindowLeft(22.5f); // 22 / 14
    settings.setWindowTop(-7.5f);  // -8 / 12
    settings.SaveSettings();
    const std::string bytes = Saved();
    // The name is written as held. On Windows the system's WritePrivateProfileStringA writes it, and
    // Wine's drops the blanks around a value; reading trims them anyway.
    const bool blanksDropped = OnWindows() && bytes.find("\r\nThemeName=blue\r\n") != std::string::npos;
    EXPECT_EQ(bytes, "[Settings]\r\nLogWindowHeight=375\r\nLogWindowLeft=88\r\nLogWindowTop=-25\r\nLogWindowWidth=0\r\n"
                     "ShowLogWindow=1\r\nThemeName=" +
                         std::string(blanksDropped ? "blue" : " blue ") +
                         "\r\nWindowLeft=1\r\nWindowTop=0\r\nWindowTopMost=0\r\n");
    EXPECT_EQ(Values(Load()), "5625 1320 -375 0 1 [blue] 15 0 0");
}

TEST_F(SettingsTest, LoadsEveryKeyAndSavesThemInPlace) {
    const std::string kept = "; hand-written\r\n[Other]\r\nX=1\r\n[settings]\r\nCustom=keep\r\n";
    m_Folder.Write("ferrule.ini",
                   kept + "logwindowleft=10\r\nLogWindowTop=-3\r\nLogWindowWidth= +400 \r\nLogWindowHeight=300.5\r\n"
                          "ShowLogWindow=\" Yes \"\r\nThemeName=  blue sky  \r\nWindowLeft=12.5\r\n"
                          "WindowTop=13.5\r\nWindowTopMost=on\r\n");
    clsSettings settings = Load(15, 12);
    EXPECT_EQ(Values(settings), "3600 150 -36 6000 1 [blue sky] 180 168 1");
    settings.setLogWindowLeft(1500);
    settings.setThemeName("テーマ");
    settings.SaveSettings();
    EXPECT_EQ(Saved().rfind(kept + "logwindowleft=100\r\n", 0), 0u);
    EXPECT_EQ(Values(Load(15, 12)), "3600 1500 -36 6000 1 [テーマ] 180 168 1");
}

// One bad value, also one read after keys already taken, and nothing of the file counts; blanks are no value.
TEST_F(SettingsTest, BadValueResetsEverything) {
    const std::pair<const char*, bool> cases[] = {{"LogWindowLeft=1e3", false},    {"ShowLogWindow=maybe", false},
                                                  {"WindowTop=2147483648", false}, {"WindowTopMost=yes please", false},
                                                  {"ShowLogWindow=", true},        {"ShowLogWindow=\"  \"", true},
                                                  {"WindowLeft=   ", true}};
    for (const auto& [line, loads] : cases) {
        SCOPED_TRACE(line);
        m_Folder.Write("ferrule.ini", std::string("[Settings]\r\n") + line +
                                          "\r\nLogWindowLeft=5\r\nThemeName=blue\r\nWindowTopMost=1\r\n");
        EXPECT_EQ(Values(Load()), loads ? "0 75 0 0 0 [blue] 0 0 1" : kDefaults);
    }
}

// Readers is read on its own: a value out of range reads as 0 and costs the other settings nothing, a bad
// one elsewhere costs it nothing, and saving keeps the line as written.
TEST_F(SettingsTest, ReadersOnItsOwn) {
    const struct {
        const char* lines;
        unsigned readers;
        bool othersLoad;
    } rows[] = {
        {"Readers=4", 4, true},
        {"readers= 1 ", 1, true},
        {"Readers=64", 64, true},
        {"Readers=0", 0, true},
        {"Readers=65", 0, true},
        {"Readers=-2", 0, true},
        {"Readers=two", 0, true},
        {"Readers=99999999999", 0, true},
        {"Readers=", 0, true},
        {"", 0, true},
        {"Readers=8\r\nWindowTop=x", 8, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.lines);
        m_Folder.Write("ferrule.ini", std::string("[Settings]\r\nWindowTopMost=1\r\n") + row.lines + "\r\n");
        clsSettings settings = Load();
        EXPECT_EQ(settings.Readers(), row.readers);
        EXPECT_EQ(settings.WindowTopMost(), row.othersLoad);
    }
    m_Folder.Write("ferrule.ini", "[Settings]\r\nReaders=3\r\n");
    Load().SaveSettings();
    EXPECT_NE(Saved().find("Readers=3\r\n"), std::string::npos);
    EXPECT_EQ(Load().Readers(), 3u);
    EXPECT_EQ(clsSettings().Readers(), 0u);
}

} // namespace
