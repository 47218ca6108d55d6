#include "lists/clsDigestList.h"
#include "util/AppError.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

void ExpectError(std::int32_t number, const std::string& description, const std::function<void()>& call) {
    try {
        call();
        ADD_FAILURE() << "no error";
    } catch (const AppError& e) {
        EXPECT_EQ(e.Number(), number);
        EXPECT_EQ(e.Description(), description);
    }
}

TEST(clsDigestList, AddItemRemoveByPositionAndName) {
    clsDigestList list;
    const auto b = list.Add("b");
    const auto a = list.Add("a");
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Item(1), b);
    EXPECT_EQ(list.Item("A"), a);
    EXPECT_EQ(a->Name(), "a");
    EXPECT_EQ(a->Digest(), "");
    EXPECT_EQ(a->Bytes(), -1);
    list.Remove(1);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Item(1), a);
    EXPECT_EQ(b->Name(), "b"); // a removed entry lives on while referenced
    list.Add("c");
    list.Remove("A");
    EXPECT_EQ(list.Item(1)->Name(), "c");
    list.Add("a"); // the key is free again
    EXPECT_EQ(list.Count(), 2);
}

TEST(clsDigestList, KeysIgnoreUnicodeCase) {
    clsDigestList list;
    list.Add("Ｒｅａｄｍｅ.TXT");
    list.Add("Ωμέγα.bin");
    EXPECT_EQ(list.Item("ｒＥＡＤＭＥ.txt")->Name(), "Ｒｅａｄｍｅ.TXT");
    EXPECT_EQ(list.Item("ΩΜΈΓΑ.BIN")->Name(), "Ωμέγα.bin");
    ExpectError(ErrorNumber::DuplicateKey, "同じ名前のファイルがリストに2回記載されています。(ωμέγα.BIN)",
                [&] { list.Add("ωμέγα.BIN"); });
    EXPECT_EQ(list.Count(), 2);
}

TEST(clsDigestList, KeyStaysAsAddedWhenTheNameChanges) {
    clsDigestList list;
    list.Add("old")->setName("new");
    EXPECT_EQ(list.Item("old")->Name(), "new");
    EXPECT_THROW(list.Item("new"), AppError);
    list.Remove("OLD");
    EXPECT_EQ(list.Count(), 0);
}

TEST(clsDigestList, PositionsAndNamesNotInTheList) {
    clsDigestList list;
    list.Add("a");
    ExpectError(ErrorNumber::InvalidArgument, "指定された位置の項目はリストにありません。(0)", [&] { list.Item(0); });
    ExpectError(ErrorNumber::InvalidArgument, "指定された位置の項目はリストにありません。(2)", [&] { list.Remove(2); });
    ExpectError(ErrorNumber::InvalidArgument, "指定された名前の項目はリストにありません。(b)", [&] { list.Item("b"); });
    ExpectError(ErrorNumber::InvalidArgument, "指定された名前の項目はリストにありません。(b)",
                [&] { list.Remove("b"); });
    EXPECT_EQ(list.Count(), 1);
}

TEST(clsDigestList, ClearAndIterate) {
    clsDigestList list;
    for (const char* name : {"x", "y", "z"}) {
        list.Add(name);
    }
    std::string order;
    for (const auto& item : list) {
        order += item->Name();
    }
    EXPECT_EQ(order, "xyz");
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.begin(), list.end());
    list.Add("X");
}

} // namespace
