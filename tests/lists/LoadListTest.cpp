#include "TempFolder.h"
#include "TestPlatform.h"
#include "lists/clsDigestList.h"
#include "util/AppError.h"
#include "util/TextFile.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <tuple>
#include <vector>

namespace {

using namespace std::string_literals;

// Name, digest, digest kind, size: printed by GoogleTest as they are.
using Entry = std::tuple<std::string, std::string, std::int32_t, std::int64_t>;

std::vector<Entry> Entries(const clsDigestList& list) {
    std::vector<Entry> entries;
    for (const auto& item : list) {
        entries.push_back({item->Name(), item->Digest(), static_cast<std::int32_t>(item->DigetsType()), item->Bytes()});
    }
    return entries;
}

// Loads `content` as the list file `fileName` into a list that held an entry before.
std::vector<Entry> Load(const std::string& fileName, const std::string& content) {
    TempFolder temp;
    clsDigestList list;
    list.LoadList(temp.Write("old.txt", "old 1111\n"));
    list.LoadList(temp.Write(fileName, content));
    return Entries(list);
}

constexpr std::int32_t C16 = 1;
constexpr std::int32_t C32 = 2;
constexpr std::int32_t M5 = 3;
const std::string kMd5 = "d41d8cd98f00b204e9800998ecf8427e";
const std::string kSha256 = "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";

TEST(LoadList, LayoutsSplitsAndBytes) {
    const std::vector<Entry> abc = {{"a", "1111", C16, -1}, {"b", "2222", C16, 1}, {"c", "3333", C16, -1}};
    const struct {
        std::string fileName;
        std::string content;
        std::vector<Entry> expected;
    } cases[] = {
        {"list.crc", "", {}},
        // A file holding one bare digest lists the file named like it without its last extension.
        {"x.zip.crc", "1234abcd\n", {{"x.zip", "1234ABCD", C32, -1}}},
        {"x.md5", "\r\n\r\n  D41D8CD98F00B204E9800998ECF8427E  ", {{"x", kMd5, M5, -1}}},
        {"a.b.", "1234", {{"a.b", "1234", C16, -1}}},
        {"CHECKSUM", "1234abcd\n", {}},
        {".crc", "1234abcd\n", {}},
        {"x.crc", "1234abcd\nname 1234\n", {{"name", "1234", C16, -1}}},
        // Lines "name digest [size]".
        {"l.txt", "readme.txt 0a1b 2,048", {{"readme.txt", "0A1B", C16, 2048}}},
        {"l.txt", "a.txt 12345678 ,,,", {{"a.txt", "12345678", C32, 0}}},
        {"l.txt", "a 12345678 ,1,,2,", {{"a", "12345678", C32, 12}}},
        {"l.txt", "a 12345678 4,294,967,296", {{"a", "12345678", C32, 4294967296}}},
        {"l.txt", "a 12345678 9223372036854775807", {{"a", "12345678", C32, 9223372036854775807}}},
        // Lines that do not fit are skipped.
        {"l.txt",
         "; list\r\n\r\nA 1111\r\nname,12345678\r\nB 2222 3\r\n",
         {{"A", "1111", C16, -1}, {"B", "2222", C16, 3}}},
        {"l.txt", "a 1111\r\rb 2222 1\rc 3333\r", abc},
        {"l.txt", "a 1111\r\rb 2222 1\n\r\nc 3333", abc},
        // When several splits fit, the longest name wins; a tab cannot be part of the name.
        {"l.txt", "a b 1234 5678", {{"a b 1234", "5678", C16, -1}}},
        {"l.txt", "data.bin 89ABCDEF 1024", {{"data.bin 89ABCDEF", "1024", C16, -1}}},
        {"l.txt", "data.bin 89ABCDEF 1,024", {{"data.bin", "89ABCDEF", C32, 1024}}},
        {"l.txt", "data.bin 89ABCDEF 12345", {{"data.bin", "89ABCDEF", C32, 12345}}},
        {"l.txt", "data.bin 89ABCDEF 12345678", {{"data.bin 89ABCDEF", "12345678", C32, -1}}},
        {"l.txt", "a\t1234 5678", {{"a", "1234", C16, 5678}}},
        {"l.txt", "a 1234\t5678", {{"a 1234", "5678", C16, -1}}},
        {"l.txt", "  x  y  1234  ", {{"x  y", "1234", C16, -1}}},
        // Names in code page 932, 0x5C as a trail byte among them.
        {"l.txt", "\x93\xFA\x96\x7B.txt 1234", {{"日本.txt", "1234", C16, -1}}},
        {"l.txt", "\x95\x5C.txt 1234ABCD", {{"表.txt", "1234ABCD", C32, -1}}},
        {"l.txt", "a\x81\x40 1234", {{"a\u3000", "1234", C16, -1}}}, // the ideographic space ends a name
        {"l.txt", "a\0b.txt 1111\nok.txt 2222\nz 3333\0\n"s, {{"ok.txt", "2222", C16, -1}}},
        // Windows' own table for code page 932 gives 0x80 the character U+0080; glibc's has none for it.
        {"l.txt",
         "\x80\xFFname.txt 1234",
         {{OnWindows() ? "\u0080\uFFFDname.txt" : "\uFFFD\uFFFDname.txt", "1234", C16, -1}}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Load(c.fileName, c.content), c.expected) << c.fileName << ": " << ::testing::PrintToString(c.content);
    }
}

TEST(LoadList, GarbageAndHugeLines) {
    // Control bytes and bytes of 0x80 and up never form a hex digit, so no garbage line can fit.
    std::mt19937 random(7);
    std::string garbage;
    for (int i = 0; i < 100000; ++i) {
        const auto byte = static_cast<unsigned char>(random() % 160);
        garbage += static_cast<char>(byte < 32 ? byte : byte + 96);
    }
    EXPECT_EQ(Load("g.bin", garbage + "\ngood.bin 1234abcd 5\n" + garbage),
              (std::vector<Entry>{{"good.bin", "1234ABCD", C32, 5}}));
    // Lines of a million characters load without backtracking.
    const std::string name(999981, 'n');
    const std::string line = name + " 0123abcd 1,000,000";
    ASSERT_EQ(line.size(), 1000000u);
    std::string blocks;
    for (int i = 0; i < 200000; ++i) {
        blocks += "1234 ";
    }
    EXPECT_EQ(
        Load("huge.txt", line + "\n" + blocks + "\n" + std::string(1000000, ' ')),
        (std::vector<Entry>{{name, "0123ABCD", C32, 1000000}, {blocks.substr(0, blocks.size() - 6), "1234", C16, -1}}));
}

TEST(LoadList, FailuresKeepTheEntriesReadBeforeThem) {
    TempFolder temp;
    const auto readError = [](const std::string& path) {
        try {
            ReadTextFile(path);
        } catch (const AppError& e) {
            return e;
        }
        return AppError(0, "no read error");
    };
    const std::string dup = temp.Write("dup.txt", "a.txt 5678\nb.txt 1111\na.txt 1234\nc.txt 2222\n");
    const std::string big = temp.Write("big.txt", "a 1111\nbig 12345678 9,223,372,036,854,775,808\nc 2222\n");
    const std::string longer = temp.Write("longer.txt", "x 1111 99999999999999999999999999\n");
    const std::vector<Entry> old = {{"old1", "1111", C16, -1}, {"old2", "2222", C16, -1}};
    const struct {
        std::string path;
        AppError error;
        std::vector<Entry> kept;
    } cases[] = {
        // Read errors pass through and leave the list as it was.
        {temp.File("missing.crc"), readError(temp.File("missing.crc")), old},
        {temp.Path(), readError(temp.Path()), old},
        {dup,
         {457, "同じ名前のファイルがリストに2回記載されています。(a.txt : " + dup + ")"},
         {{"a.txt", "5678", C16, -1}, {"b.txt", "1111", C16, -1}}},
        {big,
         {6, "サイズの値が大きすぎます。(9,223,372,036,854,775,808 : " + big + ")"},
         {{"a", "1111", C16, -1}, {"big", "12345678", C32, -1}}},
        {longer,
         {6, "サイズの値が大きすぎます。(99999999999999999999999999 : " + longer + ")"},
         {{"x", "1111", C16, -1}}},
    };
    clsDigestList list;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        ASSERT_NE(c.error.Description().find(c.path), std::string::npos) << c.error.Description();
        list.LoadList(temp.Write("old.txt", "old1 1111\nold2 2222\n"));
        try {
            list.LoadList(c.path);
            ADD_FAILURE() << "no error";
        } catch (const AppError& e) {
            EXPECT_EQ(e.Number(), c.error.Number());
            EXPECT_EQ(e.Description(), c.error.Description());
        }
        EXPECT_EQ(Entries(list), c.kept);
    }
}

// A name listed again is an error only where it names the same file as before: exactly, or on Windows also
// in another letter case.
TEST(LoadList, NamesRepeatOnlyWhereTheyNameTheSameFile) {
    struct Outcome {
        std::vector<std::string> names;
        std::string duplicate; // the name the load stopped at; empty for none
    };
    const struct {
        std::string content;
        Outcome elsewhere;
        std::optional<Outcome> windows; // when it differs
    } cases[] = {
        {"a.txt 1111\nA.TXT 2222\nb 3333\n", {{"a.txt", "A.TXT", "b"}, ""}, Outcome{{"a.txt"}, "A.TXT"}},
        {"Ｒｅａｄｍｅ 1111\nｒＥＡＤＭＥ 2222\n",
         {{"Ｒｅａｄｍｅ", "ｒＥＡＤＭＥ"}, ""},
         Outcome{{"Ｒｅａｄｍｅ"}, "ｒＥＡＤＭＥ"}},
        {"a 1111\nb 2222\na 3333\nc 4444\n", {{"a", "b"}, "a"}, {}},
        // The tools' lines: each line is an entry of its own, whatever the names before it.
        {kMd5 + "  a.txt\n" + kMd5 + " *a.txt\n", {{"a.txt", "a.txt"}, ""}, {}},
        {kMd5 + "  a\n" + kMd5 + "  b\n" + kMd5 + "  a\n" + kMd5 + "  b\n", {{"a", "b", "a", "b"}, ""}, {}},
        {kMd5 + "  inc/xt_CONNMARK.h\n" + kMd5 + "  inc/xt_connmark.h\n",
         {{"inc/xt_CONNMARK.h", "inc/xt_connmark.h"}, ""},
         {}},
        {"SHA256 (a) = " + kSha256 + "\nSHA256 (a) = " + kSha256 + "\n", {{"a", "a"}, ""}, {}},
        {"MD5 (a) = " + kMd5 + "\nMD5 (A) = " + kMd5 + "\n", {{"MD5 (a) =", "MD5 (A) ="}, ""}, {}},
        {kMd5 + "  abcd\n" + kMd5 + "  abcd\n", {{kMd5, kMd5}, ""}, {}}, // reads as "name digest" too
        // Both grammars: an error only when both lines are of the original one.
        {"a 1111\n" + kMd5 + "  a\n", {{"a", "a"}, ""}, {}},
        {kMd5 + "  a\na 1111\n", {{"a", "a"}, ""}, {}},
        {"a 1111\n" + kMd5 + "  a\nA 2222\na 3333\n", {{"a", "a", "A"}, "a"}, Outcome{{"a", "a"}, "A"}},
    };
    TempFolder temp;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content);
        const Outcome& expected = OnWindows() && c.windows ? *c.windows : c.elsewhere;
        const std::string path = temp.Write("l.txt", c.content);
        clsDigestList list;
        try {
            list.LoadList(path);
            EXPECT_EQ(expected.duplicate, "") << "no error";
        } catch (const AppError& e) {
            EXPECT_EQ(e.Number(), ErrorNumber::DuplicateKey);
            EXPECT_EQ(e.Description(),
                      "同じ名前のファイルがリストに2回記載されています。(" + expected.duplicate + " : " + path + ")");
        }
        std::vector<std::string> names;
        for (const auto& item : list) {
            names.push_back(item->Name());
        }
        EXPECT_EQ(names, expected.names);
    }
}

} // namespace
