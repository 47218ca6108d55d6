// Theme definition files: defaults, loading, the revert on a bad colour, and picture paths.
#include "config/clsThemeDefine.h"

#include "TempFolder.h"
#include "TestPlatform.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

void ExpectBuiltInLook(const clsThemeDefine& t) {
    EXPECT_EQ(t.Copyright(), "");
    EXPECT_EQ(t.DropBoxBackColor(), -2147483643);
    EXPECT_EQ(t.DropBoxImage(), "");
    EXPECT_EQ(t.DropBoxImageBusy(), "");
    EXPECT_EQ(t.LogBoxBackColor(), -2147483643);
    EXPECT_EQ(t.LogBoxForeColor(), -2147483640);
    EXPECT_EQ(t.Title(), "");
    EXPECT_EQ(t.Version(), "1.00");
    EXPECT_EQ(t.WindowBackColor(), -2147483633);
    EXPECT_EQ(t.WindowImage(), "");
}

// Picture paths in the platform's own form: relative with its separator, absolute by its rules.
std::string AbsoluteImage() {
    return OnWindows() ? "D:\\pics\\busy.bmp" : "/pics/busy.bmp";
}

std::string FullTheme() {
    return std::string("[General]\r\n"
                       "Title=  Blue Sky  \r\n"
                       "Version=2.10\r\n"
                       "Copyright=(C) someone\r\n"
                       "[DropBox]\r\n"
                       "BackColor=#FF8000\r\n"
                       "Image= blue") +
           PathSeparator() + "drop.bmp \r\nImageBusy=" + AbsoluteImage() +
           "\r\n"
           "[LogBox]\r\n"
           "BackColor=0x000080FF\r\n"
           "ForeColor=33023\r\n"
           "[Window]\r\n"
           "BackColor=-2147483633\r\n"
           "Image=back.png\r\n";
}

class ThemeTest : public ::testing::Test {
protected:
    ThemeTest() { fs::create_directory(m_Folder.File("theme")); }
    std::string WriteTheme(const std::string& name, const std::string& bytes) {
        return m_Folder.Write("theme/" + name, bytes);
    }
    TempFolder m_Folder;
};

TEST(Theme, StartsWithTheBuiltInLook) {
    const clsThemeDefine theme;
    ExpectBuiltInLook(theme);
    EXPECT_EQ(theme.FileName(), "");
}

TEST_F(ThemeTest, LoadsEveryKey) {
    const std::string path = WriteTheme("blue.ini", FullTheme());
    clsThemeDefine theme;
    theme.LoadTheme(path);
    EXPECT_EQ(theme.FileName(), path);
    EXPECT_EQ(theme.Title(), "Blue Sky");
    EXPECT_EQ(theme.Version(), "2.10");
    EXPECT_EQ(theme.Copyright(), "(C) someone");
    EXPECT_EQ(theme.DropBoxBackColor(), 0x000080FF);
    EXPECT_EQ(theme.DropBoxImage(), m_Folder.File("theme/blue/drop.bmp"));
    EXPECT_EQ(theme.DropBoxImageBusy(), AbsoluteImage());
    EXPECT_EQ(theme.LogBoxBackColor(), 0x000080FF);
    EXPECT_EQ(theme.LogBoxForeColor(), 0x000080FF);
    EXPECT_EQ(theme.WindowBackColor(), -2147483633);
    EXPECT_EQ(theme.WindowImage(), m_Folder.File("theme/back.png"));
}

TEST_F(ThemeTest, NamesIgnoreCase) {
    const std::string path = WriteTheme("lower.ini", "[dropbox]\r\nbackcolor=255\r\n[WINDOW]\r\nIMAGE=w.bmp\r\n");
    clsThemeDefine theme;
    theme.LoadTheme(path);
    EXPECT_EQ(theme.DropBoxBackColor(), 255);
    EXPECT_EQ(theme.WindowImage(), m_Folder.File("theme/w.bmp"));
}

TEST_F(ThemeTest, SparseFilesKeepDefaults) {
    const std::pair<const char*, const char*> cases[] = {
        {"empty file", ""},
        {"only [General]", "[General]\r\n"},
        {"blank values", "[General]\r\nVersion=   \r\n[DropBox]\r\nBackColor=  \r\nImage=\r\n"},
        {"keys in the wrong section", "[General]\r\nBackColor=255\r\nImage=x.bmp\r\n[Window]\r\nVersion=9\r\n"},
    };
    for (const auto& [what, bytes] : cases) {
        SCOPED_TRACE(what);
        const std::string path = WriteTheme("sparse.ini", bytes);
        clsThemeDefine theme;
        theme.LoadTheme(path);
        ExpectBuiltInLook(theme);
        EXPECT_EQ(theme.FileName(), path);
    }
}

TEST_F(ThemeTest, MissingFileCountsAsLoaded) {
    clsThemeDefine theme;
    theme.LoadTheme(m_Folder.File("theme/none.ini"));
    ExpectBuiltInLook(theme);
    EXPECT_EQ(theme.FileName(), m_Folder.File("theme/none.ini"));
}

TEST_F(ThemeTest, BadColourRevertsTheWholeTheme) {
    const std::pair<const char*, const char*> cases[] = {
        {"DropBox", "0X80FF"}, {"DropBox", "red"},        {"LogBox", "0x"},         {"Window", "#"},
        {"Window", "#GG"},     {"LogBox", "0x123456789"}, {"Window", "4294967295"}, {"DropBox", "1e3"},
    };
    const std::string path = m_Folder.Write("good.ini", FullTheme());
    for (const auto& [section, value] : cases) {
        SCOPED_TRACE(std::string(section) + " " + value);
        // The bad colour comes first in the file, so every other key reads fine before or after it.
        const std::string bad = WriteTheme("bad.ini", std::string("[") + section + "]\r\nBackColor=" + value +
                                                          "\r\nForeColor=" + value + "\r\n" + FullTheme());
        clsThemeDefine theme;
        theme.LoadTheme(path);
        theme.LoadTheme(bad);
        ExpectBuiltInLook(theme);
        EXPECT_EQ(theme.FileName(), "");
    }
}

TEST_F(ThemeTest, NothingSurvivesIntoTheNextTheme) {
    const std::string full = WriteTheme("full.ini", FullTheme());
    const std::string plain = WriteTheme("plain.ini", "[General]\r\nTitle=Plain\r\n");
    clsThemeDefine theme;
    theme.LoadTheme(full);
    theme.LoadTheme(plain);
    EXPECT_EQ(theme.Title(), "Plain");
    EXPECT_EQ(theme.FileName(), plain);
    EXPECT_EQ(theme.DropBoxBackColor(), -2147483643);
    EXPECT_EQ(theme.DropBoxImage(), "");
    EXPECT_EQ(theme.WindowImage(), "");
    theme.LoadTheme(full);
    theme.InitTheme();
    ExpectBuiltInLook(theme);
    EXPECT_EQ(theme.FileName(), "");
}

TEST_F(ThemeTest, HandEditedFiles) {
    const std::pair<const char*, std::string> cases[] = {
        {"UTF-8 byte-order mark", "\xEF\xBB\xBF[DropBox]\r\nBackColor=255\r\n"},
        {"blanks around names", "  [ DropBox ]  \r\n  BackColor  =  255  \r\n"},
        {"duplicate sections", "[DropBox]\r\nBackColor=255\r\n[DropBox]\r\nBackColor=red\r\n"},
    };
    for (const auto& [what, bytes] : cases) {
        SCOPED_TRACE(what);
        const std::string path = WriteTheme("hand.ini", bytes);
        clsThemeDefine theme;
        theme.LoadTheme(path);
        EXPECT_EQ(theme.DropBoxBackColor(), 255);
        EXPECT_EQ(theme.FileName(), path);
    }
}

TEST_F(ThemeTest, FolderInsteadOfFile) {
    fs::create_directory(m_Folder.File("theme/dir.ini"));
    clsThemeDefine theme;
    theme.LoadTheme(m_Folder.File("theme/dir.ini"));
    ExpectBuiltInLook(theme);
}

} // namespace
