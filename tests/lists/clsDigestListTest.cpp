#include "lists/clsDigestList.h"
#include "util/AppError.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

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
    EXPECT_EQ(list.Item("ΩΜΈΓΑ.BIN")->Name(), "new");
    ExpectError(ErrorNumber::DuplicateKey, "同じ名前のファイルがリストに2回記載されています。(ωμέγα.BIN)",
                [&] { list.Add("ωμέγα.BIN"); });
    ExpectError(ErrorNumber::InvalidArgument, "指定された名前の項目はリストにありません。(new)",
                [&] { list.Item("new"); });
    list.Remove(1);
    list.Remove("ωμέγα.bin"); // under its key, not its new name
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Item(1), a);
    EXPECT_EQ(b->Name(), "b"); // a removed entry lives on while referenced
    list.Add("B");             // the keys are free again
    list.Add("ΩΜΈΓΑ.BIN");
    EXPECT_EQ(list.Count(), 3);
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

} // namespace
