// Lists in UTF-8, UTF-16 and code page 932: the encoding decided, the same entries whichever way they come.
#include "Cp932Names.h"
#include "TempFolder.h"
#include "lists/clsDigestList.h"
#include "util/CodePage.h"
#include "util/clsUtf8Validator.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace {

using Entry = std::tuple<std::string, std::string, std::int32_t, std::int64_t>; // the kind as its number

std::vector<Entry> Entries(const clsDigestList& list) {
    std::vector<Entry> entries;
    for (const auto& item : list) {
        entries.push_back({item->Name(), item->Digest(), static_cast<std::int32_t>(item->DigetsType()), item->Bytes()});
    }
    return entries;
}

std::string Utf16(std::u16string_view text, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : text) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

TEST(ListEncoding, EveryEncodingGivesTheSameEntries) {
    const std::vector<Entry> nihon = {{"日本.txt", "1234ABCD", 2, 5}, {"表 a.bin", "0A1B", 1, -1}};
    const struct {
        const char* what;
        std::string fileName;
        std::string bytes;
        std::vector<Entry> expected;
    } cases[] = {
        {"code page 932", "l.sfv", "\x93\xFA\x96\x7B.txt 1234abcd 5\r\n\x95\x5C a.bin 0a1b\r\n", nihon},
        {"UTF-8", "l.sfv", "日本.txt 1234abcd 5\n表 a.bin 0a1b\n", nihon},
        {"UTF-8 with its mark", "l.sfv", "\xEF\xBB\xBF日本.txt 1234abcd 5\r\n表 a.bin 0a1b", nihon},
        {"UTF-16 LE", "l.sfv", Utf16(u"\u65E5\u672C.txt 1234abcd 5\r\n\u8868 a.bin 0a1b\r\n", false), nihon},
        {"UTF-16 BE", "l.sfv", Utf16(u"\u65E5\u672C.txt 1234abcd 5\r\u8868 a.bin 0a1b", true), nihon},
        {"ASCII", "l.sfv", "a.txt 1234abcd\n", {{"a.txt", "1234ABCD", 2, -1}}},
        {"UTF-16 single digest", "x.zip.crc", Utf16(u"\r\n 1234abcd \r\n", false), {{"x.zip", "1234ABCD", 2, -1}}},
        {"UTF-8 mark, single digest",
         "x.md5",
         "\xEF\xBB\xBF"
         "D41D8CD98F00B204E9800998ECF8427E\n",
         {{"x", "d41d8cd98f00b204e9800998ecf8427e", 3, -1}}},
        // One byte that cannot be UTF-8 makes the whole list code page 932, as lists always were.
        {"UTF-8 and one code page byte",
         "l.sfv",
         "日.txt 1234\n\x95\x5C.txt 5678\n",
         {{AnsiToUtf8("日.txt"), "1234", 1, -1}, {"表.txt", "5678", 1, -1}}},
        // A list without a mark in UTF-16 is no text of ours: nothing fits.
        {"UTF-16 without its mark", "l.sfv", Utf16(u"a.txt 1234abcd\r\n", false).substr(2), {}},
    };
    TempFolder temp;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = temp.Write(c.fileName, c.bytes);
        clsDigestList fromFile;
        fromFile.LoadList(path);
        EXPECT_EQ(Entries(fromFile), c.expected);
        clsDigestList fromBytes;
        fromBytes.LoadListFromBytes(c.bytes, path);
        EXPECT_EQ(Entries(fromBytes), c.expected);
    }
}

TEST(ListEncoding, OverlongLinesAreSkipped) {
    // Beyond 4 MiB a line can name no file on any system; it is skipped, and blank ones stay white space.
    const std::string huge(std::size_t{5} << 20, 'n');
    const std::string blank(std::size_t{5} << 20, ' ');
    const std::tuple<std::string, std::string, std::vector<Entry>> cases[] = {
        {"l.sfv", huge + " 1234\nok.txt 5678\n", {{"ok.txt", "5678", 1, -1}}},
        {"x.bin.crc", blank + "\n1234abcd\n" + blank, {{"x.bin", "1234ABCD", 2, -1}}},
        {"x.bin.crc", huge + "\n1234abcd\n", {}},
    };
    for (const auto& [name, bytes, expected] : cases) {
        clsDigestList list;
        list.LoadListFromBytes(bytes, name);
        EXPECT_EQ(Entries(list), expected) << name;
    }
}

// Lists from Japanese systems are never taken for UTF-8: names of a few characters or more in code page 932
// practically never form valid UTF-8, and a list holds several of them. bench_encoding gives the rates.
TEST(ListEncoding, GeneratedCodePage932ListsStayCodePage932) {
    Cp932NameGenerator names(932);
    const Cp932Mix mixes[] = {Cp932Mix::FullWidth, Cp932Mix::Mixed};
    int lists = 0;
    for (const Cp932Mix mix : mixes) {
        for (int i = 0; i < 5000; ++i, ++lists) {
            std::string list;
            for (int line = 0; line < 3; ++line) {
                list += names.FileName(mix) + " 1234ABCD\r\n";
            }
            ASSERT_EQ(AnsiToUtf8(list).find("\uFFFD"), std::string::npos) << "not code page 932";
            clsUtf8Validator validator;
            validator.Feed(list);
            ASSERT_FALSE(validator.IsUtf8Text()) << ::testing::PrintToString(list);
            if (i < 100) { // and the loader reads them as such
                clsDigestList loaded;
                loaded.LoadListFromBytes(list, "l.sfv");
                ASSERT_EQ(loaded.Count(), 3);
                EXPECT_EQ(loaded.Item(1)->Name() + " 1234ABCD\r\n", AnsiToUtf8(list.substr(0, list.find('\n') + 1)));
            }
        }
    }
    EXPECT_EQ(lists, 10000);
}

} // namespace
