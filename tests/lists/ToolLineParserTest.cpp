// Lines of coreutils and BSD-tag lists, and the readings a list line gives.
#include "lists/ToolLineParser.h"
#include "lists/ListLineParser.h"
#include "lists/clsDigestList.h"

#include <gtest/gtest.h>

#include <optional>
#include <tuple>
#include <vector>

namespace {

using namespace std::string_literals;
using Fields = std::optional<std::tuple<std::string, std::string, std::int32_t>>;

Fields AsTuple(const std::optional<ToolLineFields>& fields) {
    if (!fields) {
        return std::nullopt;
    }
    return std::tuple{fields->name, std::string(fields->digest), static_cast<std::int32_t>(fields->kind)};
}

const std::string kMd5 = "b1946ac92492d2347c6235b4d2611184";
const std::string kSha1 = "f572d396fae9206628714fb2ce00f72e94f2258f";
const std::string kSha256 = "5891b5b522d5df086d0ff0b110fbd9d21bb4fc7163af34d08286a2e846f6be03";

TEST(ToolLineParser, CoreutilsLines) {
    const std::tuple<std::string, Fields> cases[] = {
        {kMd5 + "  a.txt", std::tuple{"a.txt", kMd5, 3}},
        {kSha1 + " *a.txt", std::tuple{"a.txt", kSha1, 4}},
        {std::string(56, 'A') + "  x", std::tuple{"x", std::string(56, 'A'), 5}},
        {kSha256 + "  sub/dir\\file name  ", std::tuple{"sub/dir\\file name  ", kSha256, 6}},
        {std::string(96, '0') + "\t x", std::tuple{"x", std::string(96, '0'), 7}},
        {std::string(128, 'f') + "  *x", std::tuple{"*x", std::string(128, 'f'), 8}},
        {"  1a2b3c4d  rhash simple.bin", std::tuple{"rhash simple.bin", "1a2b3c4d", 2}},
        {"\\" + kMd5 + "  a\\nb\\\\c\\rd", std::tuple{"a\nb\\c\rd", kMd5, 3}},
        {kMd5 + "   lead", std::tuple{" lead", kMd5, 3}},
        {kMd5 + "  ../up.txt", std::tuple{"../up.txt", kMd5, 3}},
        // Not coreutils lines.
        {kMd5 + " a.txt", std::nullopt},         // one blank: the reversed form tools never mix in
        {kMd5 + "  ", std::nullopt},             // no name
        {kMd5.substr(1) + "  a", std::nullopt},  // 31 digits
        {"abcd  a.txt", std::nullopt},           // no tool writes CRC-16 this way
        {"\\" + kMd5 + "  a\\tb", std::nullopt}, // an escape coreutils never writes
        {"\\" + kMd5 + "  a\\", std::nullopt},   // an escape cut off
        {kMd5 + "  /etc/passwd", std::nullopt},  // absolute names
        {kMd5 + "  \\\\server\\x", std::nullopt},
        {kMd5 + "  C:\\x", std::nullopt},
        {kMd5 + "  a\0b"s, std::nullopt},
        {"g" + kMd5 + "  a", std::nullopt},
    };
    for (const auto& [line, expected] : cases) {
        EXPECT_EQ(AsTuple(ParseCoreutilsLine(line)), expected) << ::testing::PrintToString(line);
        EXPECT_EQ(ParseBsdTagLine(line), std::nullopt) << ::testing::PrintToString(line);
    }
}

TEST(ToolLineParser, BsdTagLines) {
    const std::tuple<std::string, Fields> cases[] = {
        {"MD5 (a.txt) = " + kMd5, std::tuple{"a.txt", kMd5, 3}},
        {"MD5   (sub/a b.txt) = " + kMd5, std::tuple{"sub/a b.txt", kMd5, 3}}, // rhash pads the tag
        {"SHA1 (x) = " + kSha1, std::tuple{"x", kSha1, 4}},
        {"SHA224(x)=" + std::string(56, 'c'), std::tuple{"x", std::string(56, 'c'), 5}},
        {"SHA256 (f (1).txt) = " + kSha256 + " \t", std::tuple{"f (1).txt", kSha256, 6}},
        {"SHA2-256 (x) = " + kSha256, std::tuple{"x", kSha256, 6}},
        {"SHA384 (x) = " + std::string(96, '1'), std::tuple{"x", std::string(96, '1'), 7}},
        {"SHA512 (x) = " + std::string(128, 'e'), std::tuple{"x", std::string(128, 'e'), 8}},
        {"CRC32 (x) = 363a3020", std::tuple{"x", "363a3020", 2}},
        {"\\MD5 (a\\nb\\\\c) = " + kMd5, std::tuple{"a\nb\\c", kMd5, 3}},
        {"  MD5 ( x ) = " + kMd5, std::tuple{" x ", kMd5, 3}},
        // Not tag lines.
        {"MD5 (x) = " + kSha1, std::nullopt}, // the width of another tag
        {"SHA1 (x) = " + kMd5, std::nullopt},
        {"MD4 (x) = " + kMd5, std::nullopt}, // a digest we cannot compute
        {"MD5SUM (x) = " + kMd5, std::nullopt},
        {"md5 (x) = " + kMd5, std::nullopt}, // tags are written in capitals
        {"MD5 (x) " + kMd5, std::nullopt},
        {"MD5 () = " + kMd5, std::nullopt},
        {"MD5 (/abs) = " + kMd5, std::nullopt},
        {"MD5 (x) = " + kMd5 + " y", std::nullopt},
        {"MD5 x) = " + kMd5, std::nullopt},
    };
    for (const auto& [line, expected] : cases) {
        EXPECT_EQ(AsTuple(ParseBsdTagLine(line)), expected) << line;
        EXPECT_EQ(ParseCoreutilsLine(line), std::nullopt) << line;
    }
}

// Name and digest of an entry and of each of its other readings, in order, with their sizes.
using Reading = std::tuple<std::string, std::string, std::int64_t>;

std::vector<std::vector<Reading>> ReadingsOf(const std::string& bytes) {
    clsDigestList list;
    list.LoadListFromBytes(bytes, "list.txt");
    std::vector<std::vector<Reading>> all;
    for (std::int32_t position = 1; position <= list.Count(); ++position) {
        const auto item = list.Item(position);
        std::vector<Reading> readings{{item->Name(), item->Digest(), item->Bytes()}};
        for (const clsDigestListItem& other : list.OtherReadings(position)) {
            readings.emplace_back(other.Name(), other.Digest(), other.Bytes());
        }
        all.push_back(readings);
    }
    return all;
}

// The original grammar's reading always comes first; the other ways the same line reads follow it.
TEST(ListReadings, EveryWayALineReads) {
    const std::string md5 = "d41d8cd98f00b204e9800998ecf8427e";
    const struct {
        std::string line;
        std::vector<Reading> readings;
    } cases[] = {
        {"data.zip 1A2B3C4D 12345678", {{"data.zip 1A2B3C4D", "12345678", -1}, {"data.zip", "1A2B3C4D", 12345678}}},
        {"a b 1234 5678", {{"a b 1234", "5678", -1}, {"a b", "1234", 5678}}},
        {"x.bin 1234 00000000000000000000000000000042",
         {{"x.bin 1234", std::string(30, '0') + "42", -1}, {"x.bin", "1234", 42}}},
        {"x.bin 1234 99999999999999999999999999999999", {{"x.bin 1234", std::string(32, '9'), -1}}}, // no such size
        {"data.zip 1A2B3C4D 1,234", {{"data.zip", "1A2B3C4D", 1234}}},
        {"data.zip 1A2B3C4D 12345", {{"data.zip", "1A2B3C4D", 12345}}},
        {"data.zip 1A2B3C4D 1234ABCD", {{"data.zip 1A2B3C4D", "1234ABCD", -1}}},
        {md5 + "  1234abcd", {{md5, "1234ABCD", -1}, {"1234abcd", md5, -1}}},
        {md5 + "  photo 2024", {{md5 + "  photo", "2024", -1}, {"photo 2024", md5, -1}}},
        {"MD5 (a.txt) = " + md5, {{"MD5 (a.txt) =", md5, -1}, {"a.txt", md5, -1}}},
        {"CRC32 (a.txt) = 363a3020", {{"CRC32 (a.txt) =", "363A3020", -1}, {"a.txt", "363A3020", -1}}},
        // Lines the original grammar skips have one reading.
        {md5 + "  sub/a.txt", {{"sub/a.txt", md5, -1}}},
        {"MD5 (sub/a.txt) = " + md5, {{"sub/a.txt", md5, -1}}},
        {md5 + " *a.txt", {{"a.txt", md5, -1}}},
        // Taken for UTF-8 without a mark: the same bytes in code page 932 read too (ﾃｽ is C3 BD there).
        {"\xC3\xBD.txt 1234", {{"ý.txt", "1234", -1}, {"ﾃｽ.txt", "1234", -1}}},
        {"\xEF\xBB\xBF\xC3\xBD.txt 1234", {{"ý.txt", "1234", -1}}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReadingsOf(c.line + "\r\n"), std::vector<std::vector<Reading>>{c.readings}) << c.line;
    }
}

} // namespace
