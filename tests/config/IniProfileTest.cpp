// The INI profile functions through real files: the routed ones (the system's on Windows) and our own.
#include "util/IniProfile.h"

#include "TempFolder.h"
#include "util/TextEncoding.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <tuple>

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

const std::string kSjisTheme = "\x83\x65\x81\x5B\x83\x7D"; // テーマ in code page 932

std::string FileBytes(const std::string& path) {
    std::ifstream in(fs::u8path(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Repeat(const std::string& text, int times) {
    std::string result;
    for (int i = 0; i < times; ++i) {
        result += text;
    }
    return result;
}

struct ProfileApi {
    const char* name;
    std::string (*get)(std::string_view, std::string_view, std::string_view, const std::string&, std::size_t);
    bool (*write)(std::string_view, std::string_view, std::string_view, const std::string&);
};

class IniApiTest : public ::testing::TestWithParam<ProfileApi> {};

INSTANTIATE_TEST_SUITE_P(Both, IniApiTest,
                         ::testing::Values(ProfileApi{"Routed", GetProfileText, WriteProfileText},
                                           ProfileApi{"Portable", PortableGetProfileText, PortableWriteProfileText}),
                         [](const auto& info) { return std::string(info.param.name); });

// Values come back cut to 254 bytes of code page 932, never inside a double-byte character. Ours only:
// hand-edited files the system's functions read their own way.
TEST_P(IniApiTest, ReadsValues) {
    const std::string kana = Repeat("\x82\xa0", 127); // あ: 127 fill 254 bytes, one byte more leaves room for 126
    const std::tuple<const char*, std::string, const char*, const char*, std::optional<std::string>, bool> cases[] = {
        {"names ignore case", "[settings]\r\nwindowleft=5\r\n", "SETTINGS", "WindowLeft", "5", false},
        {"blanks around the value", "[S]\r\nA = \t x y \t\r\n", "S", "A", "x y", false},
        {"double quotes", "[S]\r\nA=\"  q  \"\r\n", "S", "A", "  q  ", false},
        {"single quotes after blanks", "[S]\r\nA=  ' x '  \r\n", "S", "A", " x ", false},
        {"one pair only", "[S]\r\nA=\"\"x\"\"\r\n", "S", "A", "\"x\"", false},
        {"unmatched quotes stay", "[S]\r\nA=\"x'\r\n", "S", "A", "\"x'", false},
        {"a lone quote stays", "[S]\r\nA=\"\r\n", "S", "A", "\"", false},
        {"equals sign in the value", "[S]\r\nA=b=c\r\n", "S", "A", "b=c", false},
        {"first key wins", "[S]\r\nA=1\r\nA=2\r\n", "S", "A", "1", false},
        {"first section wins", "[S]\r\nA=1\r\n[s]\r\nA=2\r\n", "S", "A", "1", false},
        {"key of another section", "[T]\r\nA=1\r\n[S]\r\nB=2\r\n", "S", "A", std::nullopt, false},
        {"key outside any section", "A=0\r\n[S]\r\nB=1\r\n", "S", "A", std::nullopt, false},
        {"LF line ends", "[S]\nA=1\nB=2\n", "S", "B", "2", false},
        {"no final line end", "  [S]  \r\nA=1", "S", "A", "1", false},
        {"code page 932", "[\x90\xdd\x92\xe8]\r\n" + kSjisTheme + "=" + kSjisTheme, "設定", "テーマ", "テーマ", false},
        {"cut to 254 bytes", "[S]\r\nA=" + std::string(300, 'x'), "S", "A", std::string(254, 'x'), false},
        {"double-byte characters filling 254 bytes", "[S]\r\nA=" + kana, "S", "A", Repeat("あ", 127), false},
        {"cut before a double-byte character", "[S]\r\nA=a" + kana, "S", "A",
         std::string("a").append(Repeat("あ", 126)), false},
        // One byte each in the file although three in UTF-8.
        {"half-width katakana", "[S]\r\nA=" + std::string(255, '\xb1'), "S", "A", Repeat("ｱ", 254), false},
        {"UTF-8 byte-order mark", "\xEF\xBB\xBF[S]\r\nA=テ\r\n", "S", "A", "テ", true},
        {"full-width letters ignore case", "[\x82\x60\x82\x61]\r\n\x82\x77=1\r\n", "ａｂ", "ｘ", "1", true},
    };
    TempFolder folder;
    for (const auto& [what, file, section, key, expected, oursOnly] : cases) {
        if (oursOnly && GetParam().get != PortableGetProfileText) {
            continue;
        }
        const std::string path = folder.Write("read.ini", file);
        EXPECT_EQ(GetParam().get(section, key, "dflt", path, 255), expected.value_or("dflt")) << what;
    }
    EXPECT_EQ(GetParam().get("S", "A", "abcdef", folder.File("none.ini"), 4), "abc") << "the default is cut too";
}

TEST_P(IniApiTest, WritesKeepingOtherContentOrFails) {
    TempFolder folder;
    const std::string path = folder.Write("w.ini", "; comment\r\n[Other]\r\nX=1\r\n\r\n[S]\r\nA=old\r\nB=2\r\n");
    const ProfileApi& api = GetParam();
    EXPECT_TRUE(api.write("S", "A", "new", path));
    EXPECT_TRUE(api.write("s", "C", "3", path));
    EXPECT_TRUE(api.write("T", "D", "テーマ", path));
    EXPECT_EQ(api.get("S", "A", "", path, 255), "new");
    EXPECT_EQ(api.get("S", "C", "", path, 255), "3");
    EXPECT_EQ(api.get("T", "D", "", path, 255), "テーマ");
    const std::string bytes = FileBytes(path);
    EXPECT_EQ(bytes.rfind("; comment\r\n[Other]\r\nX=1\r\n", 0), 0u);
    EXPECT_NE(bytes.find("D=" + kSjisTheme + "\r\n"), std::string::npos) << "code page 932, CR LF";

    const std::string created = folder.File("new.ini");
    EXPECT_TRUE(api.write("Settings", "WindowLeft", "10", created));
    EXPECT_TRUE(api.write("Settings", "WindowTop", "20", created));
    EXPECT_EQ(FileBytes(created), "[Settings]\r\nWindowLeft=10\r\nWindowTop=20\r\n");

    // Failures come back as false, and nothing is written.
    fs::create_directory(folder.File("dir.ini"));
    EXPECT_FALSE(api.write("S", "A", "1", folder.File("dir.ini")));
    EXPECT_TRUE(fs::is_directory(folder.File("dir.ini")));
    EXPECT_EQ(api.get("S", "A", "d", folder.File("dir.ini"), 255), "d");
    EXPECT_FALSE(api.write("S", "A", "1", folder.File("missing/x.ini")));
}

// Settings and theme files saved as UTF-16 are read as UTF-16 and stay UTF-16 when written: no code-page
// text is ever added to them, and characters no code page holds get through.
TEST_P(IniApiTest, Utf16FilesStayUtf16) {
    const ProfileApi& api = GetParam();
    TempFolder folder;
    for (const bool bigEndian : {false, true}) {
        SCOPED_TRACE(bigEndian ? "big endian" : "little endian");
        const std::string mark = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
        const std::string path =
            folder.Write("u.ini", mark + EncodeUtf16("[Settings]\r\nThemeName=Été 青空\r\n", bigEndian));
        EXPECT_EQ(api.get("settings", "THEMENAME", "", path, 255), "Été 青空");
        EXPECT_EQ(api.get("Settings", "Missing", "dflt", path, 255), "dflt");
        EXPECT_TRUE(api.write("Settings", "ThemeName", "Ωmega テーマ", path));
        EXPECT_TRUE(api.write("Window", "Left", "12", path));
        EXPECT_EQ(api.get("Settings", "ThemeName", "", path, 255), "Ωmega テーマ");
        EXPECT_EQ(api.get("Window", "Left", "", path, 255), "12");
        const std::string bytes = FileBytes(path);
        ASSERT_TRUE(bytes.starts_with(mark));
        ASSERT_EQ(bytes.size() % 2, 0u);
        const std::string text = DecodeText(bytes.substr(2), bigEndian ? TextEncoding::Utf16BE : TextEncoding::Utf16LE);
        EXPECT_NE(text.find("ThemeName=Ωmega テーマ\r\n"), std::string::npos) << text;
        EXPECT_NE(text.find("[Window]\r\nLeft=12"), std::string::npos) << text;
        EXPECT_EQ(text.find('\xEF'), std::string::npos) << "no replacement character: all of it was UTF-16";
    }
}

TEST(IniPortable, Utf16EditsInPlace) {
    for (const bool bigEndian : {false, true}) {
        const std::string mark = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
        const auto utf16 = [&](std::string_view text) { return mark + EncodeUtf16(text, bigEndian); };
        const std::tuple<std::string, const char*, const char*, const char*, std::string> cases[] = {
            {utf16("; c\n[S]\nA=1\n"), "S", "A", "é", utf16("; c\n[S]\nA=é\n")},
            {utf16("[S]\r\nA=1"), "T", "B", "2", utf16("[S]\r\nA=1\r\n[T]\r\nB=2\r\n")},
            {mark, "S", "A", "1", utf16("[S]\r\nA=1\r\n")},
        };
        for (const auto& [before, section, key, value, after] : cases) {
            EXPECT_EQ(SetProfileValue(before, section, key, value), after) << ::testing::PrintToString(before);
        }
        EXPECT_EQ(FindProfileValue(utf16("[S]\nA= \"x y\" \n"), "S", "A"), "x y");
    }
}

// Exact bytes of our own editing: every line not asked about keeps its bytes and its place.
TEST(IniPortable, EditsInPlace) {
    const std::string garbage = "\x00\x01\xff\xfe\x81\x20\x80\x5d[\x1a\x00="s;
    const std::tuple<const char*, std::string, const char*, const char*, std::string, std::string> cases[] = {
        {"new file", "", "S", "A", "1", "[S]\r\nA=1\r\n"},
        {"replace keeps spelling and blanks", "[s]\r\n  a = old  \r\nB=2\r\n", "S", "A", "v",
         "[s]\r\n  a = v\r\nB=2\r\n"},
        {"a value with blanks of its own replaces the old ones", "[S]\r\nA = \t x\r\n", "S", "A", " x",
         "[S]\r\nA = x\r\n"},
        {"append after the last entry", "[S]\r\nA=1\r\n\r\n; about T\r\n[T]\r\nB=2\r\n", "S", "C", "3",
         "[S]\r\nA=1\r\nC=3\r\n\r\n; about T\r\n[T]\r\nB=2\r\n"},
        {"append without a final line end", "[S]\r\nA=1", "S", "B", "2", "[S]\r\nA=1\r\nB=2\r\n"},
        {"new section", "[S]\r\nA=1\r\n", "T", "B", "2", "[S]\r\nA=1\r\n[T]\r\nB=2\r\n"},
        {"new section without a final line end", "[S]\r\nA=1", "T", "B", "2", "[S]\r\nA=1\r\n[T]\r\nB=2\r\n"},
        {"LF file, new key", "[S]\nA=1\n", "S", "C", "3", "[S]\nA=1\nC=3\r\n"},
        {"CR-only lines", "[S]\rA=1\rB=2\r", "S", "B", "5", "[S]\rA=1\rB=5\r"},
        {"first of duplicate sections", "[S]\r\nA=1\r\n[S]\r\nA=2\r\n", "S", "A", "9", "[S]\r\nA=9\r\n[S]\r\nA=2\r\n"},
        {"key outside sections untouched", "A=0\r\n[S]\r\n", "S", "A", "1", "A=0\r\n[S]\r\nA=1\r\n"},
        {"blanks inside the brackets", "[ S ]\r\nA=1\r\n", "S", "A", "2", "[ S ]\r\nA=2\r\n"},
        {"code page 932 value", "[S]\r\n", "S", "A", "テーマ", "[S]\r\nA=" + kSjisTheme + "\r\n"},
        {"text after NUL is never seen", "", "S", "A", "ab\0cd"s, "[S]\r\nA=ab\r\n"},
        {"UTF-8 file stays UTF-8", "\xEF\xBB\xBF[S]\r\nA=1\r\n", "S", "A", "テ", "\xEF\xBB\xBF[S]\r\nA=テ\r\n"},
        {"UTF-8 file holds any name", "\xEF\xBB\xBF[S]\r\n", "\u2603", "\u301C", "1",
         "\xEF\xBB\xBF[S]\r\n[\u2603]\r\n\u301C=1\r\n"},
        {"binary garbage kept byte for byte", "[S]\r\nA=1\r\n" + garbage + "\r\n[T]\r\nB=2\r\n", "T", "B", "3",
         "[S]\r\nA=1\r\n" + garbage + "\r\n[T]\r\nB=3\r\n"},
        {"a broken header is no section", "[S]\r\n[\x83\x5D\r\nA=1\r\n", "S", "A", "2", "[S]\r\n[\x83\x5D\r\nA=2\r\n"},
    };
    TempFolder folder;
    const std::string path = folder.File("edit.ini");
    for (const auto& [what, before, section, key, value, after] : cases) {
        fs::remove(path);
        if (!before.empty()) {
            folder.Write("edit.ini", before);
        }
        EXPECT_TRUE(PortableWriteProfileText(section, key, value, path)) << what;
        EXPECT_EQ(FileBytes(path), after) << what;
    }
}

// The last three: names code page 932 cannot hold (no form at all, not UTF-8, one that comes back as "～").
TEST(IniPortable, RefusesWhatCouldNotBeReadBack) {
    const std::array<const char*, 3> cases[] = {
        {"S", "A", "x\r\n[Evil]"}, {"S", "A", "x\ny"},   {"S", "A=B", "1"},
        {"S]", "A", "1"},          {"S", "", "1"},       {"", "A", "1"},
        {"S", "[A", "1"},          {"S", ";A", "1"},     {"\u2603", "A", "1"},
        {"S\xFF", "A", "1"},       {"S", "\u301C", "1"},
    };
    TempFolder folder;
    const std::string path = folder.Write("r.ini", "[S]\r\nA=1\r\n");
    for (const auto& [section, key, value] : cases) {
        SCOPED_TRACE(std::string(section) + "/" + key);
        EXPECT_FALSE(PortableWriteProfileText(section, key, value, path));
        EXPECT_EQ(FileBytes(path), "[S]\r\nA=1\r\n");
    }
}

} // namespace
