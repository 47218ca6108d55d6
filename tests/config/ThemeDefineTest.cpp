// Theme definition files: defaults, loading, the revert on a bad colour, and picture paths.
#include "config/clsThemeDefine.h"

#include "TempFolder.h"
#include "TestPlatform.h"

#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <tuple>

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
    EXPECT_EQ(Values(theme), kBuiltInLook);
    theme.LoadTheme(path);
    EXPECT_EQ(Values(theme), "Blue Sky|2.10|(C) someone|33023|33023|33023|-2147483633|" + folder.File("blue/drop.bmp") +
                                 "|" + kAbsoluteImage + "|" + folder.File("back.png") + "|" + path);
    theme.InitTheme();
    EXPECT_EQ(Values(theme), kBuiltInLook);
}

// Loaded over a full theme: missing keys take the built-in look and the file counts as loaded, while one bad
// colour (each colour key, the last one read after every other key) reverts the whole theme.
TEST(Theme, NothingOfTheLastThemeSurvives) {
    const std::tuple<const char*, std::optional<std::string>, bool> cases[] = {
        {"missing file", std::nullopt, true},
        {"empty file", "", true},
        {"blank values", "[General]\r\nVersion=   \r\n[DropBox]\r\nBackColor=  \r\nImage=\r\n", true},
        {"keys in the wrong section", "[General]\r\nBackColor=255\r\nImage=x.bmp\r\n[Window]\r\nVersion=9\r\n", true},
        // First in the file, so these sections and keys win over the good ones after them.
        {"DropBox BackColor", "[DropBox]\r\nBackColor=red\r\n" + kFullTheme, false},
        {"LogBox BackColor", "[LogBox]\r\nBackColor=0x\r\n" + kFullTheme, false},
        {"LogBox ForeColor", "[LogBox]\r\nForeColor=#GG\r\n" + kFullTheme, false},
        {"Window BackColor", "[Window]\r\nBackColor=4294967295\r\n" + kFullTheme, false},
    };
    TempFolder folder;
    const std::string full = folder.Write("full.ini", kFullTheme);
    for (const auto& [what, bytes, loads] : cases) {
        const std::string path = bytes ? folder.Write("next.ini", *bytes) : folder.File("none.ini");
        clsThemeDefine theme;
        theme.LoadTheme(full);
        theme.LoadTheme(path);
        EXPECT_EQ(Values(theme), kBuiltInLook + (loads ? path : "")) << what;
    }
}

} // namespace
