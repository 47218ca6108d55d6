#include "lists/clsDigestList.h"
#include "TestPlatform.h"
#include "util/AppError.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <limits>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

namespace {

using namespace std::string_literals;

void ExpectError(std::int32_t number, const std::string& description, const std::function<void()>& call) {
    try {
        call();
        ADD_FAILURE() << "no error: " << description;
    } catch (const AppError& e) {
        EXPECT_EQ(e.Number(), number);
        EXPECT_EQ(e.Description(), description);
    }
}

TEST(clsDigestList, ItemsByPositionAndByNameIgnoringCase) {
    clsDigestList list;
    const auto b = list.Add("b");
    const auto a = list.Add("Ｒｅａｄｍｅ.TXT");
    EXPECT_EQ(list.Item(1), b);
    EXPECT_EQ(list.Item("ｒＥＡＤＭＥ.txt"), a);
    EXPECT_EQ(a->Digest(), "");
    EXPECT_EQ(a->Bytes(), -1);
    list.Add("Ωμέγα.bin")->setName("new"); // the key stays as added
    EXPECT_TRUE(list.HasExactName("Ωμέγα.bin") && !list.HasExactName("new"));
    EXPECT_EQ(list.Item("ΩΜΈΓΑ.BIN")->Name(), "new");
    if (OnWindows()) {
        ExpectError(ErrorNumber::DuplicateKey, "同じ名前のファイルがリストに2回記載されています。(ωμέγα.BIN)",
                    [&] { list.Add("ωμέγα.BIN"); });
    } else {
        list.Add("ωμέγα.BIN"); // another file here
        list.Remove("ωμέγα.BIN");
    }
    ExpectError(ErrorNumber::InvalidArgument, "指定された名前の項目はリストにありません。(new)",
                [&] { list.Item("new"); });
    list.Remove(1);
    list.Remove("ωμέγα.bin"); // under its key, not its new name
    EXPECT_EQ(list.Item(1), a);
    EXPECT_EQ(b->Name(), "b"); // a removed entry lives on while referenced
    const std::string notAt = "指定された位置の項目はリストにありません。";
    ExpectError(ErrorNumber::InvalidArgument, notAt + "(0)", [&] { list.Item(0); });
    ExpectError(ErrorNumber::InvalidArgument, notAt + "(2)", [&] { list.Remove(2); });
    ExpectError(ErrorNumber::InvalidArgument, "指定された名前の項目はリストにありません。(b)",
                [&] { list.Remove("b"); });
    EXPECT_EQ(list.Count(), 1);
    list.Add("B"); // the keys are free again
    list.Add("ΩΜΈΓΑ.BIN");
    EXPECT_EQ(list.Count(), 3);
}

// Thousands of entries: lookups by name and the other readings of each line stay with their entries through
// the index's growth and through removals.
TEST(clsDigestList, LookupsAndReadingsFollowRemovals) {
    std::string bytes;
    for (int i = 0; i < 3000; ++i) {
        // Every third line also reads as a tag line.
        bytes += i % 3 == 0 ? "MD5 (F" + std::to_string(i) + ") = d41d8cd98f00b204e9800998ecf8427e\n"
                            : "File" + std::to_string(i) + " 1234\n";
    }
    clsDigestList list;
    list.LoadListFromBytes(bytes, "big.txt");
    ASSERT_EQ(list.Count(), 3000);
    for (const std::int32_t gone : {1, 2000, 1500, 2997}) {
        list.Remove(gone);
    }
    list.Remove("file1000");
    ASSERT_EQ(list.Count(), 2995);
    for (std::int32_t position = 1; position <= list.Count(); ++position) {
        const auto item = list.Item(position);
        ASSERT_EQ(list.Item(item->Name()), item) << item->Name();
        const auto others = list.OtherReadings(position);
        if (item->Name().starts_with("MD5")) {
            ASSERT_EQ(others.size(), 1u) << item->Name();
            EXPECT_EQ("MD5 (" + others[0].Name() + ") =", item->Name());
            EXPECT_EQ(others[0].Digest(), item->Digest());
        } else {
            EXPECT_TRUE(others.empty()) << item->Name();
        }
    }
    ExpectError(ErrorNumber::InvalidArgument, "指定された名前の項目はリストにありません。(FILE1000)",
                [&] { list.Item("FILE1000"); });
    EXPECT_EQ(list.Add("file1000")->Name(), "file1000"); // its key is free again
}

// A name finds the first entry of exactly that name, else the first that equals it ignoring case; Remove takes
// the entry Item finds; HasExactName and FirstPositionOf tell only of the name as written.
TEST(clsDigestList, ByNameTheExactSpellingComesFirst) {
    const std::string md5 = "  d41d8cd98f00b204e9800998ecf8427e  ";
    const std::vector<std::string> names = {"x.h", "X.h", "y", "x.h", "Y", "Ａ"};
    std::string bytes;
    for (const std::string& name : names) {
        bytes += md5 + name + "\n";
    }
    // The name asked for, the position Item gives (0: none), whether an entry has exactly that name.
    const std::tuple<std::string, std::int32_t, bool> cases[] = {
        {"x.h", 1, true}, {"X.h", 2, true}, {"X.H", 1, false}, {"y", 3, true}, {"Y", 5, true},
        {"ａ", 6, false}, {"Ａ", 6, true},  {"z", 0, false},   {"", 0, false}, {"x.h ", 0, false}};
    for (const auto& [name, position, exact] : cases) {
        SCOPED_TRACE(name);
        clsDigestList list;
        list.LoadListFromBytes(bytes, "l.md5");
        ASSERT_EQ(list.Count(), static_cast<std::int32_t>(names.size()));
        EXPECT_EQ(list.HasExactName(name), exact);
        EXPECT_EQ(list.FirstPositionOf(name), exact ? position : 0);
        if (position == 0) {
            ExpectError(ErrorNumber::InvalidArgument, "指定された名前の項目はリストにありません。(" + name + ")",
                        [&] { list.Item(name); });
            ExpectError(ErrorNumber::InvalidArgument, "指定された名前の項目はリストにありません。(" + name + ")",
                        [&] { list.Remove(name); });
            continue;
        }
        const auto found = list.Item(name);
        EXPECT_EQ(found, list.Item(position));
        list.Remove(name);
        std::vector<std::string> left = names;
        left.erase(left.begin() + position - 1);
        std::vector<std::string> listed;
        for (const auto& item : list) {
            listed.push_back(item->Name());
            EXPECT_NE(item, found);
        }
        EXPECT_EQ(listed, left);
        // Still there when another line lists it too.
        EXPECT_EQ(list.HasExactName(names[position - 1]),
                  std::count(left.begin(), left.end(), names[position - 1]) > 0);
    }
}

TEST(clsDigestListItem, DigestIsFilledAndCasedByLengthOrRefused) {
    // A digest of nullptr: refused, and the previous digest stays.
    const std::tuple<std::string, const char*, DigestKind> cases[] = {
        {"12 34", "1234", DigestKind::CRC16},
        {"   ", "", DigestKind::None},
        {"", "", DigestKind::None},
        {"abc", "0ABC", DigestKind::CRC16},
        {"9f8e7d6c", "9F8E7D6C", DigestKind::CRC32},
        {"12345", "00012345", DigestKind::CRC32},
        {"123456789", "00000000000000000000000123456789", DigestKind::MD5},
        {"D41D8CD98F00B204E9800998ECF8427E", "d41d8cd98f00b204e9800998ecf8427e", DigestKind::MD5},
        {" d41d8cd9 8f00b204 e9800998 ecf8427e ", "d41d8cd98f00b204e9800998ecf8427e", DigestKind::MD5},
        {"0x1234", nullptr, DigestKind::None},
        {"12-34", nullptr, DigestKind::None},
        {"12\t34", nullptr, DigestKind::None},
        {"12\n34", nullptr, DigestKind::None},
        {"12\0"s + "4", nullptr, DigestKind::None},
        {"ｆｆｆｆ", nullptr, DigestKind::None},
        {"g", nullptr, DigestKind::None},
        {"123456789012345678901234567890123", nullptr, DigestKind::None}};
    for (const auto& [value, digest, kind] : cases) {
        SCOPED_TRACE(value);
        clsDigestListItem item;
        item.setDigest("1a2b3c4d");
        try {
            item.setDigest(value);
            EXPECT_NE(digest, nullptr) << "no error";
        } catch (const AppError& e) {
            EXPECT_EQ(digest, nullptr);
            EXPECT_EQ(e.Number(), ErrorNumber::InvalidDigest);
            EXPECT_EQ(e.Description(), "プロパティの値が不正です。(Digest)");
        }
        EXPECT_EQ(item.Digest(), digest ? digest : "1A2B3C4D");
        EXPECT_EQ(item.DigetsType(), digest ? kind : DigestKind::CRC32);
    }
}

TEST(clsDigestListItem, DigestOfAKindHasExactlyItsWidth) {
    const std::string sha1 = "A9993E364706816ABA3E25717850C26C9CD0D89D";
    // Nothing expected: refused, and the previous digest stays.
    const std::tuple<std::string, DigestKind, std::optional<std::string>> cases[] = {
        {sha1, DigestKind::SHA1, "a9993e364706816aba3e25717850c26c9cd0d89d"},
        {std::string(56, 'F'), DigestKind::SHA224, std::string(56, 'f')},
        {std::string(64, 'b'), DigestKind::SHA256, std::string(64, 'b')},
        {std::string(96, '0'), DigestKind::SHA384, std::string(96, '0')},
        {std::string(128, 'C'), DigestKind::SHA512, std::string(128, 'c')},
        {"1a2b3c4d", DigestKind::CRC32, "1A2B3C4D"},
        {"0A1b", DigestKind::CRC16, "0A1B"},
        {std::string(32, 'E'), DigestKind::MD5, std::string(32, 'e')},
        {sha1.substr(1), DigestKind::SHA1, std::nullopt}, // one digit short
        {sha1 + "0", DigestKind::SHA1, std::nullopt},     // one too many
        {"abc", DigestKind::CRC16, std::nullopt},         // no filling here
        {std::string(127, 'a') + "g", DigestKind::SHA512, std::nullopt},
        {"", DigestKind::None, std::nullopt},
        {"1234", static_cast<DigestKind>(9), std::nullopt},
    };
    for (const auto& [value, kind, digest] : cases) {
        SCOPED_TRACE(value);
        clsDigestListItem item;
        item.setDigest("1a2b3c4d");
        try {
            item.setDigestOfKind(value, kind);
            EXPECT_TRUE(digest.has_value()) << "no error";
        } catch (const AppError& e) {
            EXPECT_FALSE(digest.has_value());
            EXPECT_EQ(e.Number(), ErrorNumber::InvalidDigest);
        }
        EXPECT_EQ(item.Digest(), digest.value_or("1A2B3C4D"));
        EXPECT_EQ(item.DigetsType(), digest ? kind : DigestKind::CRC32);
        if (digest) {
            EXPECT_EQ(DigestKindOfWidth(value.size()), kind);
            EXPECT_EQ(DigestKindWidth(kind), value.size());
        }
    }
    EXPECT_EQ(DigestKindOfWidth(33), DigestKind::None);
    EXPECT_EQ(DigestKindWidth(DigestKind::None), 0u);
}

TEST(clsDigestListItem, NegativeSizesMeanNone) {
    const std::int64_t cases[][2] = {
        {-5, -1}, {0, 0}, {4294967296, 4294967296}, {std::numeric_limits<std::int64_t>::min(), -1}};
    for (const auto& [value, stored] : cases) {
        clsDigestListItem item;
        item.setBytes(value);
        EXPECT_EQ(item.Bytes(), stored);
    }
}

} // namespace
