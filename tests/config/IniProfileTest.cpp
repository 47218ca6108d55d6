// The INI profile functions: reading and writing through real files, the routed functions and our own.
#include "util/IniProfile.h"

#include "TempFolder.h"

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

// The routed functions and the portable ones must behave alike wherever the platform has its own.
struct ProfileApi {
    const char* name;
    std::string (*get)(std::string_view, std::string_view, std::string_view, const std::string&, std::size_t);
    bool (*write)(std::string_view, std::string_view, std::string_view, const std::string&);
};

const ProfileApi kApis[] = {
    {"Routed", GetProfileText, WriteProfileText},
    {"Portable", PortableGetProfileText, PortableWriteProfileText},
};

class IniApiTest : public ::testing::TestWithParam<ProfileApi> {};

INSTANTIATE_TEST_SUITE_P(Both, IniApiTest, ::testing::ValuesIn(kApis),
                         [](const auto& info) { return std::string(info.param.name); });

struct ReadCase {
    const char* what;
    std::string file;
    const char* section;
    const char* key;
    std::string expected; // "<default>" when the default must come back
};

TEST_P(IniApiTest, ReadsValues) {
    const std::string sjisTheme = "\x83\x65\x81\x5B\x83\x7D"; // テーマ in code page 932
    const ReadCase cases[] = {
        {"plain", "[Settings]\r\nA=1\r\n", "Settings", "A", "1"},
        {"names ignore case", "[settings]\r\nwindowleft=5\r\n", "SETTINGS", "WindowLeft", "5"},
        {"blanks around the value", "[S]\r\nA =  x y  \r\n", "S", "A", "x y"},
        {"tabs around the value", "[S]\r\nA=\tv\t\r\n", "S", "A", "v"},
        {"double quotes", "[S]\r\nA=\"  q  \"\r\n", "S", "A", "  q  "},
        {"single quotes", "[S]\r\nA='x'\r\n", "S", "A", "x"},
        {"quotes after blanks", "[S]\r\nA=  \" x \"  \r\n", "S", "A", " x "},
        {"one pair only", "[S]\r\nA=\"\"x\"\"\r\n", "S", "A", "\"x\""},
        {"unmatched quotes stay", "[S]\r\nA=\"x'\r\n", "S", "A", "\"x'"},
        {"a lone quote stays", "[S]\r\nA=\"\r\n", "S", "A", "\""},
        {"empty quotes", "[S]\r\nA=\"\"\r\n", "S", "A", ""},
        {"equals sign in the value", "[S]\r\nA=b=c\r\n", "S", "A", "b=c"},
        {"first key wins", "[S]\r\nA=1\r\nA=2\r\n", "S", "A", "1"},
        {"first section wins", "[S]\r\nA=1\r\n[s]\r\nA=2\r\n", "S", "A", "1"},
        {"key of another section", "[T]\r\nA=1\r\n[S]\r\nB=2\r\n", "S", "A", "<default>"},
        {"key outside any section", "A=0\r\n[S]\r\nB=1\r\n", "S", "A", "<default>"},
        {"missing section", "[T]\r\nA=1\r\n", "S", "A", "<default>"},
        {"missing key", "[S]\r\nB=1\r\n", "S", "A", "<default>"},
        {"empty file", "", "S", "A", "<default>"},
        {"LF line ends", "[S]\nA=1\nB=2\n", "S", "B", "2"},
        {"no final line end", "[S]\r\nA=1", "S", "A", "1"},
        {"blanks around the header", "  [S]  \r\nA=1\r\n", "S", "A", "1"},
        {"code page 932 names and value", "[\x90\xdd\x92\xe8]\r\n" + sjisTheme + "=" + sjisTheme + "\r\n", "設定",
         "テーマ", "テーマ"},
        {"cut to 254 bytes", "[S]\r\nA=" + std::string(300, 'a') + "\r\n", "S", "A", std::string(254, 'a')},
    };
    TempFolder folder;
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = folder.Write("read.ini", c.file);
        const std::string expected = c.expected == "<default>" ? "dflt" : c.expected;
        EXPECT_EQ(GetParam().get(c.section, c.key, "dflt", path, 255), expected);
    }
}

TEST_P(IniApiTest, CutsBetweenDoubleByteCharacters) {
    TempFolder folder;
    std::string kana;
    for (int i = 0; i < 127; ++i) {
        kana += "\x82\xa0"; // あ
    }
    // 127 double-byte characters fill 254 bytes; one more byte in front leaves room for 126 only.
    // Half-width katakana take one byte each, so 254 of them fit although UTF-8 needs three bytes each.
    const std::string path1 =
        folder.Write("a.ini", "[S]\r\nA=" + kana + "\r\nB=a" + kana + "\r\nC=" + std::string(255, '\xb1') + "\r\n");
    std::string expectedA, expectedB = "a", expectedC;
    for (int i = 0; i < 127; ++i) {
        expectedA += "あ";
    }
    for (int i = 0; i < 126; ++i) {
        expectedB += "あ";
    }
    for (int i = 0; i < 254; ++i) {
        expectedC += "ｱ";
    }
    EXPECT_EQ(GetParam().get("S", "A", "", path1, 255), expectedA);
    EXPECT_EQ(GetParam().get("S", "B", "", path1, 255), expectedB);
    EXPECT_EQ(GetParam().get("S", "C", "", path1, 255), expectedC);
    EXPECT_EQ(GetParam().get("S", "B", "", path1, 4), "aあ");
    EXPECT_EQ(GetParam().get("S", "B", "", path1, 3), "a");
}

TEST_P(IniApiTest, MissingFileGivesTheDefault) {
    TempFolder folder;
    EXPECT_EQ(GetParam().get("S", "A", "dflt", folder.File("none.ini"), 255), "dflt");
    EXPECT_EQ(GetParam().get("S", "A", "", folder.File("none.ini"), 255), "");
    EXPECT_EQ(GetParam().get("S", "A", "abcdef", folder.File("none.ini"), 4), "abc");
}

TEST_P(IniApiTest, WritesAndReadsBackKeepingOtherContent) {
    TempFolder folder;
    const std::string path = folder.Write("w.ini", "; comment\r\n[Other]\r\nX=1\r\n\r\n[S]\r\nA=old\r\nB=2\r\n");
    const ProfileApi& api = GetParam();
    EXPECT_TRUE(api.write("S", "A", "new", path));
    EXPECT_TRUE(api.write("s", "C", "3", path));
    EXPECT_TRUE(api.write("T", "D", "テーマ", path));
    EXPECT_EQ(api.get("S", "A", "", path, 255), "new");
    EXPECT_EQ(api.get("S", "B", "", path, 255), "2");
    EXPECT_EQ(api.get("S", "C", "", path, 255), "3");
    EXPECT_EQ(api.get("T", "D", "", path, 255), "テーマ");
    EXPECT_EQ(api.get("Other", "X", "", path, 255), "1");
    const std::string bytes = FileBytes(path);
    EXPECT_EQ(bytes.rfind("; comment\r\n[Other]\r\nX=1\r\n", 0), 0u);
    EXPECT_NE(bytes.find("D=\x83\x65\x81\x5B\x83\x7D\r\n"), std::string::npos) << "code page 932, CR LF";
}

TEST_P(IniApiTest, CreatesTheFile) {
    TempFolder folder;
    const std::string path = folder.File("new.ini");
    EXPECT_TRUE(GetParam().write("Settings", "WindowLeft", "10", path));
    EXPECT_TRUE(GetParam().write("Settings", "WindowTop", "20", path));
    EXPECT_EQ(FileBytes(path), "[Settings]\r\nWindowLeft=10\r\nWindowTop=20\r\n");
}

TEST_P(IniApiTest, FailsWhereNothingCanBeWritten) {
    TempFolder folder;
    fs::create_directory(folder.File("dir.ini"));
    EXPECT_FALSE(GetParam().write("S", "A", "1", folder.File("dir.ini")));
    EXPECT_TRUE(fs::is_directory(folder.File("dir.ini")));
    EXPECT_EQ(GetParam().get("S", "A", "d", folder.File("dir.ini"), 255), "d");
    EXPECT_FALSE(GetParam().write("S", "A", "1", folder.File("missing/x.ini")));
}

// Exact bytes of our own editing.
struct EditCase {
    const char* what;
    std::string before;
    const char* section;
    const char* key;
    std::string value;
    std::string after;
};

TEST(IniPortable, EditsInPlace) {
    const std::string garbage = "\x00\x01\xff\xfe\x81\x20\x80\x5d[\x1a\x00="s;
    const EditCase cases[] = {
        {"new file", "", "S", "A", "1", "[S]\r\nA=1\r\n"},
        {"replace keeps the other lines", "[S]\r\nA=old\r\nB=2\r\n", "S", "A", "new", "[S]\r\nA=new\r\nB=2\r\n"},
        {"replace keeps spelling and blanks", "[s]\r\n  a = old  \r\n", "S", "A", "v", "[s]\r\n  a = v\r\n"},
        {"append after the last entry", "[S]\r\nA=1\r\n\r\n; about T\r\n[T]\r\nB=2\r\n", "S", "C", "3",
         "[S]\r\nA=1\r\nC=3\r\n\r\n; about T\r\n[T]\r\nB=2\r\n"},
        {"append to a header alone", "[S]\r\n[T]\r\n", "S", "A", "1", "[S]\r\nA=1\r\n[T]\r\n"},
        {"append without a final line end", "[S]\r\nA=1", "S", "B", "2", "[S]\r\nA=1\r\nB=2\r\n"},
        {"new section", "[S]\r\nA=1\r\n", "T", "B", "2", "[S]\r\nA=1\r\n[T]\r\nB=2\r\n"},
        {"new section without a final line end", "[S]\r\nA=1", "T", "B", "2", "[S]\r\nA=1\r\n[T]\r\nB=2\r\n"},
        {"LF lines stay LF", "[S]\nA=1\nB=2\n", "S", "A", "9", "[S]\nA=9\nB=2\n"},
        {"LF file, new key", "[S]\nA=1\n", "S", "C", "3", "[S]\nA=1\nC=3\r\n"},
        {"CR-only lines", "[S]\rA=1\rB=2\r", "S", "B", "5", "[S]\rA=1\rB=5\r"},
        {"first of duplicate sections", "[S]\r\nA=1\r\n[S]\r\nA=2\r\n", "S", "A", "9", "[S]\r\nA=9\r\n[S]\r\nA=2\r\n"},
        {"new key into the first duplicate", "[S]\r\nA=1\r\n[S]\r\nA=2\r\n", "S", "C", "3",
         "[S]\r\nA=1\r\nC=3\r\n[S]\r\nA=2\r\n"},
        {"first of duplicate keys", "[S]\r\nA=1\r\nA=2\r\n", "S", "A", "9", "[S]\r\nA=9\r\nA=2\r\n"},
        {"key outside sections untouched", "A=0\r\n[S]\r\n", "S", "A", "1", "A=0\r\n[S]\r\nA=1\r\n"},
        {"blanks inside the brackets", "[ S ]\r\nA=1\r\n", "S", "A", "2", "[ S ]\r\nA=2\r\n"},
        {"code page 932 value", "[S]\r\n", "S", "A", "テーマ", "[S]\r\nA=\x83\x65\x81\x5B\x83\x7D\r\n"},
        {"text after NUL is never seen", "", "S", "A", "ab\0cd"s, "[S]\r\nA=ab\r\n"},
        {"UTF-8 file stays UTF-8", "\xEF\xBB\xBF[S]\r\nA=1\r\n", "S", "A", "テ", "\xEF\xBB\xBF[S]\r\nA=テ\r\n"},
        {"binary garbage kept byte for byte", "[S]\r\nA=1\r\n" + garbage + "\r\n[T]\r\nB=2\r\n", "T", "B", "3",
         "[S]\r\nA=1\r\n" + garbage + "\r\n[T]\r\nB=3\r\n"},
        {"a broken header is no section", "[S]\r\n[\x83\x5D\r\nA=1\r\n", "S", "A", "2", "[S]\r\n[\x83\x5D\r\nA=2\r\n"},
    };
    TempFolder folder;
    for (const EditCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = folder.File("edit.ini");
        fs::remove(path);
        if (!c.before.empty()) {
            folder.Write("edit.ini", c.before);
        }
        EXPECT_TRUE(PortableWriteProfileText(c.section, c.key, c.value, path));
        EXPECT_EQ(FileBytes(path), c.after);
    }
}

TEST(IniPortable, ReadsHandEditedFiles) {
    const ReadCase cases[] = {
        {"UTF-8 byte-order mark", "\xEF\xBB\xBF[S]\r\nA=テ\r\n", "S", "A", "テ"},
        {"CR-only line ends", "[S]\rA=1\rB=2\r", "S", "B", "2"},
        {"blanks inside the brackets", "[ S ]\r\nA=1\r\n", "S", "A", "1"},
        {"a comment is no key", "[S]\r\n;A=1\r\n", "S", "A", "<default>"},
        {"a broken header is no section", "[S]\r\n[\x83\x5D\r\nA=1\r\n", "S", "A", "1"},
        {"long line before the key", "[S]\r\nL=" + std::string(10000, 'x') + "\r\nA=1\r\n", "S", "A", "1"},
        {"NUL ends the value", "[S]\r\nA=ab\0cd\r\n"s, "S", "A", "ab"},
        {"garbage around the section", "\xff\xfe\x00\x81\r\n[S]\r\nA=1\r\n\x80\x81\x82"s, "S", "A", "1"},
        {"full-width letters ignore case", "[\x82\x60\x82\x61]\r\n\x82\x77=1\r\n", "ａｂ", "ｘ", "1"},
    };
    TempFolder folder;
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = folder.Write("read.ini", c.file);
        const std::string expected = c.expected == "<default>" ? "dflt" : c.expected;
        EXPECT_EQ(PortableGetProfileText(c.section, c.key, "dflt", path), expected);
    }
}

TEST(IniPortable, RefusesWhatCouldNotBeReadBack) {
    struct Case {
        const char* section;
        const char* key;
        const char* value;
    };
    const Case cases[] = {
        {"S", "A", "x\r\n[Evil]"}, {"S", "A", "x\ny"}, {"S", "A=B", "1"},
        {"S]", "A", "1"},          {"S", "", "1"},     {"", "A", "1"},
        {"S", "[A", "1"},          {"S", ";A", "1"},
    };
    TempFolder folder;
    const std::string original = "[S]\r\nA=1\r\n";
    const std::string path = folder.Write("r.ini", original);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.section) + "/" + c.key);
        EXPECT_FALSE(PortableWriteProfileText(c.section, c.key, c.value, path));
        EXPECT_EQ(FileBytes(path), original);
    }
}

} // namespace
