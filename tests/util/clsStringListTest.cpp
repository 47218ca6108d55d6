#include "util/clsStringList.h"
#include "util/AppError.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace {

TEST(clsStringList, ChangesOrRaisesAndKeepsTheList) {
    using Call = std::function<void(clsStringList&)>;
    const struct {
        Call call;
        const char* after; // nullptr: error 9 and the list unchanged
    } cases[] = {
        {[](auto& list) { list.Add("d", -1); }, "a,b,c,d"},
        {[](auto& list) { list.Add("d", -7); }, "a,b,c,d"},
        {[](auto& list) { list.Add("d", 0); }, "d,a,b,c"},
        {[](auto& list) { list.Add("d", 2); }, "a,b,d,c"},
        {[](auto& list) { list.Add("d", 3); }, "a,b,c,d"},
        {[](auto& list) { list.Add("d", 4); }, nullptr},
        {[](auto& list) { EXPECT_EQ(list.Item(2), "c"); }, "a,b,c"},
        {[](auto& list) { list.Item(3); }, nullptr},
        {[](auto& list) { list.Item(-1); }, nullptr},
        {[](auto& list) { list.setItem(1, "z"); }, "a,z,c"},
        {[](auto& list) { list.setItem(3, "z"); }, nullptr},
        {[](auto& list) { list.setItem(-1, "z"); }, nullptr},
        {[](auto& list) { list.MoveLower(0); }, "a,b,c"},
        {[](auto& list) { list.MoveLower(2); }, "a,c,b"},
        {[](auto& list) { list.MoveLower(3); }, nullptr},
        {[](auto& list) { list.MoveUpper(2); }, "a,b,c"},
        {[](auto& list) { list.MoveUpper(0); }, "b,a,c"},
        {[](auto& list) { list.MoveUpper(-1); }, nullptr},
        {[](auto& list) { list.Remove(1); }, "a,c"},
        {[](auto& list) { list.Remove(3); }, nullptr},
        {[](auto& list) { list.RemoveAll(); }, ""},
        {[](auto& list) { list.setItem(0, ""), list.setItem(1, ""); }, ",,c"},
        {[](auto& list) { EXPECT_EQ(list.Join(" / "), "a / b / c"); }, "a,b,c"},
        {[](auto& list) {
             list.Remove(0);
             list.Remove(0);
             list.Remove(0);
             list.Add("again", 0);
         },
         "again"},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        const bool fails = cases[i].after == nullptr;
        clsStringList list;
        for (const char* item : {"a", "b", "c"}) {
            list.Add(item, -1);
        }
        try {
            cases[i].call(list);
            EXPECT_FALSE(fails) << "no error";
        } catch (const AppError& e) {
            EXPECT_TRUE(fails) << e.what();
            EXPECT_EQ(e.Number(), ErrorNumber::SubscriptOutOfRange);
            EXPECT_EQ(e.Description(), "インデックスが有効範囲にありません。");
        }
        const std::string after = fails ? "a,b,c" : cases[i].after;
        EXPECT_EQ(list.Join(","), after);
        EXPECT_EQ(list.Count(), after.empty() ? 0 : 1 + std::count(after.begin(), after.end(), ','));
    }
}

} // namespace
