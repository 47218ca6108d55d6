#include "TempFolder.h"
#include "TestPlatform.h"
#include "lists/clsDigestList.h"
#include "util/AppError.h"
#include "util/TextFile.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

using namespace std::string_literals;

struct Entry {
    std::string name;
    std::string digest;
    std::int32_t kind;
    std::int64_t bytes;
    bool operator==(const Entry&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Entry& e) {
    return out << "{" << e.name << ", " << e.digest << ", " << e.kind << ", " << e.bytes << "}";
}

std::vector<Entry> Entries(const clsDigestList& list) {
    std::vector<Entry> entries;
    for (const auto& item : list) {
        entries.push_back({item->Name(), item->Digest(), item->DigetsType(), item->Bytes()});
    }
    return entries;
}

std::vector<Entry> Load(const std::string& fileName, const std::string& content) {
    TempFolder temp;
    clsDigestList list;
    list.LoadList(temp.Write(fileName, content));
    return Entries(list);
}

constexpr std::int32_t C16 = 1;
constexpr std::int32_t C32 = 2;
constexpr std::int32_t M5 = 3;
const std::string kMd5 = "d41d8cd98f00b204e9800998ecf8427e";

struct LoadCase {
    const char* what;
    std::string fileName;
    std::string content;
    std::vector<Entry> expected;
};

TEST(LoadList, Layouts) {
    const LoadCase cases[] = {
        {"empty file", "list.crc", "", {}},
        {"single digest", "x.zip.crc", "1234abcd\n", {{"x.zip", "1234ABCD", C32, -1}}},
        {"single md5", "x.md5", "\r\n\r\n  D41D8CD98F00B204E9800998ECF8427E  ", {{"x", kMd5, M5, -1}}},
        {"single digest, other blanks", "y.crc", "\f\v1234\t\r", {{"y", "1234", C16, -1}}},
        {"single digest, last dot at the end", "a.b.", "1234", {{"a.b", "1234", C16, -1}}},
        {"single digest, no extension", "CHECKSUM", "1234abcd\n", {}},
        {"single digest, dot first", ".crc", "1234abcd\n", {}},
        {"two digests", "two.crc", "1234abcd\n5678abcd\n", {}},
        {"five digits", "x.crc", "12345", {}},
        {"digest only", "x.crc", "1234abcd\nname 1234\n", {{"name", "1234", C16, -1}}},
        {"crc16", "l.txt", "readme.txt 0a1b\n", {{"readme.txt", "0A1B", C16, -1}}},
        {"crc16 and size", "l.txt", "readme.txt 0a1b 2,048", {{"readme.txt", "0A1B", C16, 2048}}},
        {"md5 and size", "l.txt", "f " + kMd5 + " 7", {{"f", kMd5, M5, 7}}},
        {"blanks around", "l.txt", "\t\tmy file.txt 12345678 100   ", {{"my file.txt", "12345678", C32, 100}}},
        {"tabs between", "l.txt", "a\t1234\t5678", {{"a", "1234", C16, 5678}}},
        {"commas only", "l.txt", "a.txt 12345678 ,,,", {{"a.txt", "12345678", C32, 0}}},
        {"commas anywhere", "l.txt", "a 12345678 ,1,,2,", {{"a", "12345678", C32, 12}}},
        {"beyond 32 bits", "l.txt", "a 12345678 4,294,967,296", {{"a", "12345678", C32, 4294967296}}},
        {"largest size", "l.txt", "a 12345678 9223372036854775807", {{"a", "12345678", C32, 9223372036854775807}}},
        {"skipped lines",
         "l.txt",
         "; comment\nname,12345678\ndir\\name.txt 12345678\nname.txt 123456\nname.txt\t1234567890\n"
         "C:x 1234\na|b 1234\n12345678\n 1234\nname 1234 12a\nname\t1234 5678 9\n",
         {}},
        {"header and entries",
         "l.txt",
         "; list\r\n\r\nA 1111\r\nB 2222 3\r\n",
         {{"A", "1111", C16, -1}, {"B", "2222", C16, 3}}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Load(c.fileName, c.content), c.expected) << c.what;
    }
}

TEST(LoadList, LongestNameWins) {
    const LoadCase cases[] = {
        {"", "l", "a b 1234 5678", {{"a b 1234", "5678", C16, -1}}},
        {"", "l", "data.bin 89ABCDEF 1024", {{"data.bin 89ABCDEF", "1024", C16, -1}}},
        {"", "l", "data.bin 89ABCDEF 1,024", {{"data.bin", "89ABCDEF", C32, 1024}}},
        {"", "l", "data.bin 89ABCDEF 12345", {{"data.bin", "89ABCDEF", C32, 12345}}},
        {"", "l", "data.bin 89ABCDEF 12345678", {{"data.bin 89ABCDEF", "12345678", C32, -1}}},
        {"", "l", "a\t1234 5678", {{"a", "1234", C16, 5678}}}, // a tab cannot be part of the name
        {"", "l", "a 1234\t5678", {{"a 1234", "5678", C16, -1}}},
        {"", "l", "  x  y  1234  ", {{"x  y", "1234", C16, -1}}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Load(c.fileName, c.content), c.expected) << c.content;
    }
}

TEST(LoadList, LineEndsAreEquivalent) {
    const std::vector<Entry> expected = {{"a", "1111", C16, -1}, {"b", "2222", C16, 1}, {"c", "3333", C16, -1}};
    for (const std::string end : {"\r\n", "\n", "\r"}) {
        EXPECT_EQ(Load("l", "a 1111" + end + end + "b 2222 1" + end + "c 3333" + end), expected);
    }
    EXPECT_EQ(Load("l", "a 1111\r\rb 2222 1\n\r\nc 3333"), expected);
}

TEST(LoadList, CodePageAndStrayBytes) {
    const LoadCase cases[] = {
        {"Japanese name", "l", "\x93\xFA\x96\x7B.txt 1234", {{"日本.txt", "1234", C16, -1}}},
        {"0x5C as a trail byte", "l", "\x95\x5C.txt 1234ABCD", {{"表.txt", "1234ABCD", C32, -1}}},
        // Windows' own table for code page 932 gives 0x80 the character U+0080; glibc's has none for it.
        {"invalid bytes",
         "l",
         "\x80\xFFname.txt 1234",
         {{OnWindows() ? "\u0080\uFFFDname.txt" : "\uFFFD\uFFFDname.txt", "1234", C16, -1}}},
        {"NUL bytes", "l", "a\0b.txt 1111\nok.txt 2222\nz 3333\0\n"s, {{"ok.txt", "2222", C16, -1}}},
        {"ideographic space ends a name", "l", "a\x81\x40 1234", {{"a\u3000", "1234", C16, -1}}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Load(c.fileName, c.content), c.expected) << c.what;
    }
}

TEST(LoadList, BinaryGarbageIsSkipped) {
    // Control bytes and bytes of 0x80 and up never form a hex digit, so no garbage line can fit.
    std::mt19937 random(7);
    std::string garbage;
    for (int i = 0; i < 100000; ++i) {
        const auto byte = static_cast<unsigned char>(random() % 160);
        garbage += static_cast<char>(byte < 32 ? byte : byte + 96);
    }
    EXPECT_EQ(Load("g.bin", garbage + "\ngood.bin 1234abcd 5\n" + garbage),
              (std::vector<Entry>{{"good.bin", "1234ABCD", C32, 5}}));
}

TEST(LoadList, HugeLinesLoadWithoutBacktracking) {
    const std::string name(999981, 'n');
    const std::string line = name + " 0123abcd 1,000,000";
    ASSERT_EQ(line.size(), 1000000u);
    std::string blocks;
    for (int i = 0; i < 200000; ++i) {
        blocks += "1234 ";
    }
    const std::vector<Entry> entries = Load("huge.txt", line + "\n" + blocks + "\n" + std::string(1000000, ' '));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0], (Entry{name, "0123ABCD", C32, 1000000}));
    EXPECT_EQ(entries[1], (Entry{blocks.substr(0, blocks.size() - 6), "1234", C16, -1}));
}

class LoadListFailure : public ::testing::Test {
protected:
    void SetUp() override {
        m_List.LoadList(m_Temp.Write("old.txt", "old1 1111\nold2 2222\n"));
        ASSERT_EQ(m_List.Count(), 2);
    }

    // Loads `path`, expects an error with `number` and `description`, and gives back what the list holds.
    std::vector<Entry> LoadFailing(const std::string& path, std::int32_t number, const std::string& description) {
        try {
            m_List.LoadList(path);
            ADD_FAILURE() << "no error for " << path;
        } catch (const AppError& e) {
            EXPECT_EQ(e.Number(), number);
            if (!description.empty()) {
                EXPECT_EQ(e.Description(), description);
            }
        }
        return Entries(m_List);
    }

    TempFolder m_Temp;
    clsDigestList m_List;
    const std::vector<Entry> m_Old = {{"old1", "1111", C16, -1}, {"old2", "2222", C16, -1}};
};

TEST_F(LoadListFailure, ReadErrorsPassThroughAndKeepThePreviousEntries) {
    for (const std::string& path : {m_Temp.File("missing.crc"), m_Temp.Path()}) {
        try {
            ReadTextFile(path);
            ADD_FAILURE() << "no read error for " << path;
        } catch (const AppError& readError) {
            EXPECT_NE(readError.Description().find(path), std::string::npos);
            EXPECT_EQ(LoadFailing(path, readError.Number(), readError.Description()), m_Old);
        }
    }
}

TEST_F(LoadListFailure, DuplicateNameStopsTheLoad) {
    const std::string path = m_Temp.Write("dup.txt", "a.txt 5678\nA.TXT 1234\nb.txt 1111\n");
    EXPECT_EQ(LoadFailing(path, 457, "同じ名前のファイルがリストに2回記載されています。(A.TXT : " + path + ")"),
              (std::vector<Entry>{{"a.txt", "5678", C16, -1}}));
}

TEST_F(LoadListFailure, OversizedSizeStopsTheLoad) {
    const std::string path = m_Temp.Write("big.txt", "a 1111\nbig 12345678 9,223,372,036,854,775,808\nc 2222\n");
    EXPECT_EQ(LoadFailing(path, 6, "サイズの値が大きすぎます。(9,223,372,036,854,775,808 : " + path + ")"),
              (std::vector<Entry>{{"a", "1111", C16, -1}, {"big", "12345678", C32, -1}}));
    const std::string longer = m_Temp.Write("longer.txt", "x 1111 99999999999999999999999999\n");
    EXPECT_EQ(LoadFailing(longer, 6, ""), (std::vector<Entry>{{"x", "1111", C16, -1}}));
}

TEST_F(LoadListFailure, SuccessfulLoadReplacesTheEntries) {
    m_List.LoadList(m_Temp.Write("new.txt", "new 3333\n"));
    EXPECT_EQ(Entries(m_List), (std::vector<Entry>{{"new", "3333", C16, -1}}));
    m_List.LoadList(m_Temp.Write("empty.txt", ""));
    EXPECT_EQ(m_List.Count(), 0);
}

} // namespace
