// Theme definition files: defaults, loading, the revert on a bad colour, and picture paths.
#include "config/clsThemeDefine.h"

#include "TempFolder.h"
#include "TestPlatform.h"

#include <gtest/gtest.h>

#include <array>
#include <sstream>

namespace {

// Every property on one line, the file name last, so one comparison shows them all.
std::string Values(const clsThemeDefine& t) {
    std::ostringstream out;
    out << t.Title() << '|' << t.Version() << '|' << t.Copyright() << '|' << t.DropBoxBackColor() << '|'
        << t.LogBoxBackColor() << '|' << t.LogBoxForeColor() << '|' << t.WindowBackColor() << '|' << t.DropBoxImage()
        << '|' << t.DropBoxImageBusy() << '|' << t.WindowImage() << '|' << t.FileName();
    return out.str();
}

const std::string kBuiltInLook = "|1.00||-2147483643|-2147483643|-2147483640|-2147483633||||";

// Picture paths in the platform's own form: relative with its separator, absolute by its rules.
const std::string kAbsoluteImage = OnWindows() ? "D:\\pics\\busy.bmp" : "/pics/busy.bmp";

// Every key, with names in any letter case.
const std::string kFullTheme = "[General]\r\nTitle=  Blue Sky  \r\nVersion=2.10\r\nCopyright=(C) someone\r\n"
                               "[dropbox]\r\nBackColor=#FF8000\r\nImage= blue" +
                               std::string(1, PathSeparator()) + "drop.bmp \r\nImageBusy=" + kAbsoluteImage +
                               "\r\n[LogBox]\r\nBackColor=0x000080FF\r\nforecolor=33023\r\n"
                               "[WINDOW]\r\nBackColor=-2147483633\r\nIMAGE=back.png\r\n";

TEST(Theme, LoadsEveryKey) {
    TempFolder folder;
    const std::string path = folder.Write("blue.ini", kFullTheme);
    clsThemeDefine theme;
    theme.LoadTheme(path);
    EXPECT_EQ(Values(theme), "Blue Sky|2.10|(C) someone|33023|33023|33023|-2147483633|" + folder.File("blue/drop.bmp") +
                                 "|" + kAbsoluteImage + "|" + folder.File("back.png") + "|" + path);
}

// Missing keys keep the built-in look, and the file still counts as loaded.
TEST(Theme, SparseFilesKeepDefaults) {
    const std::pair<const char*, const char*> cases[] = {
        {"missing file", nullptr},
        {"empty file", ""},
        {"blank values", "[General]\r\nVersion=   \r\n[DropBox]\r\nBackColor=  \r\nImage=\r\n"},
        {"keys in the wrong section", "[General]\r\nBackColor=255\r\nImage=x.bmp\r\n[Window]\r\nVersion=9\r\n"}};
    TempFolder folder;
    for (const auto& [what, bytes] : cases) {
        SCOPED_TRACE(what);
        const std::string path = bytes ? folder.Write("sparse.ini", bytes) : folder.File("none.ini");
        clsThemeDefine theme;
        theme.LoadTheme(path);
        EXPECT_EQ(Values(theme), kBuiltInLook + path);
    }
}

// Each colour key, the last one read after every other key: one bad colour and nothing of the file is kept.
TEST(Theme, BadColourRevertsTheWholeTheme) {
    const std::array<const char*, 3> cases[] = {{"DropBox", "BackColor", "red"},
                                                {"LogBox", "BackColor", "0x"},
                                                {"LogBox", "ForeColor", "#GG"},
                                                {"Window", "BackColor", "4294967295"}};
    TempFolder folder;
    const std::string good = folder.Write("good.ini", kFullTheme);
    for (const auto& [section, key, value] : cases) {
        SCOPED_TRACE(std::string(section) + " " + key);
        // First in the file, so its section and key win over the good ones after it.
        const std::string bad =
            folder.Write("bad.ini", std::string("[") + section + "]\r\n" + key + "=" + value + "\r\n" + kFullTheme);
        clsThemeDefine theme;
        theme.LoadTheme(good);
        theme.LoadTheme(bad);
        EXPECT_EQ(Values(theme), kBuiltInLook);
    }
}

TEST(Theme, NothingSurvivesIntoTheNextTheme) {
    TempFolder folder;
    const std::string full = folder.Write("full.ini", kFullTheme);
    const std::string plain = folder.Write("plain.ini", "[General]\r\nTitle=Plain\r\n");
    clsThemeDefine theme;
    EXPECT_EQ(Values(theme), kBuiltInLook);
    theme.LoadTheme(full);
    theme.LoadTheme(plain);
    EXPECT_EQ(Values(theme), "Plain" + kBuiltInLook + plain);
    theme.LoadTheme(full);
    theme.InitTheme();
    EXPECT_EQ(Values(theme), kBuiltInLook);
}

} // namespace
