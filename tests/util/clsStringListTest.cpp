#include "util/clsStringList.h"
#include "util/AppError.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

clsStringList Make(std::initializer_list<const char*> items) {
    clsStringList list;
    for (const char* item : items) {
        list.Add(item, -1);
    }
    return list;
}

void ExpectOutOfRange(const std::function<void()>& call) {
    try {
        call();
        ADD_FAILURE() << "no error";
    } catch (const AppError& e) {
        EXPECT_EQ(e.Number(), ErrorNumber::SubscriptOutOfRange);
        EXPECT_EQ(e.Description(), "インデックスが有効範囲にありません。");
    }
}

TEST(clsStringList, AddInsertsAtPositions) {
    clsStringList list;
    EXPECT_EQ(list.Count(), 0);
    ExpectOutOfRange([&] { list.Item(0); });
    list.Add("a", -1);
    list.Add("b", -1);
    list.Add("c", 0);
    EXPECT_EQ(list.Join(","), "c,a,b");
    list.Add("d", 3);
    list.Add("x", -7);
    EXPECT_EQ(list.Join(","), "c,a,b,d,x");
    ExpectOutOfRange([&] { list.Add("e", 6); });
    EXPECT_EQ(list.Count(), 5);
    list.Add("m", 2);
    EXPECT_EQ(list.Join(","), "c,a,m,b,d,x");
}

TEST(clsStringList, ItemReadAndWrite) {
    clsStringList list = Make({"a", "b"});
    EXPECT_EQ(list.Item(1), "b");
    list.setItem(0, "z");
    EXPECT_EQ(list.Join(","), "z,b");
    ExpectOutOfRange([&] { list.setItem(2, "q"); });
    ExpectOutOfRange([&] { list.setItem(-1, "q"); });
    ExpectOutOfRange([&] { list.Item(-1); });
    EXPECT_EQ(list.Join(","), "z,b");
}

TEST(clsStringList, MoveLowerAndUpper) {
    const struct {
        bool lower;
        std::int32_t index;
        const char* result;
    } cases[] = {
        {true, 0, "a,b,c"},  {true, 2, "a,c,b"},  {true, 1, "b,a,c"},
        {false, 2, "a,b,c"}, {false, 0, "b,a,c"}, {false, 1, "a,c,b"},
    };
    for (const auto& c : cases) {
        clsStringList list = Make({"a", "b", "c"});
        c.lower ? list.MoveLower(c.index) : list.MoveUpper(c.index);
        EXPECT_EQ(list.Join(","), c.result) << c.lower << c.index;
    }
    clsStringList list = Make({"a", "b", "c"});
    ExpectOutOfRange([&] { list.MoveLower(3); });
    ExpectOutOfRange([&] { list.MoveUpper(-1); });
    EXPECT_EQ(list.Join(","), "a,b,c");
}

TEST(clsStringList, RemoveAndRemoveAll) {
    clsStringList list = Make({"a", "b", "c"});
    list.Remove(1);
    EXPECT_EQ(list.Join(","), "a,c");
    ExpectOutOfRange([&] { list.Remove(2); });
    EXPECT_EQ(list.Count(), 2);
    list.Remove(0);
    list.Remove(0);
    EXPECT_EQ(list.Count(), 0);
    list.Add("again", -1);
    EXPECT_EQ(list.Item(0), "again");
    list.RemoveAll();
    list.RemoveAll();
    EXPECT_EQ(list.Count(), 0);
}

TEST(clsStringList, Join) {
    EXPECT_EQ(Make({"a", "b", "c"}).Join(" / "), "a / b / c");
    EXPECT_EQ(Make({"only"}).Join(" / "), "only");
    EXPECT_EQ(Make({}).Join(" / "), "");
    EXPECT_EQ(Make({"", ""}).Join("|"), "|");
}

} // namespace
