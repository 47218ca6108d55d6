#include "util/NumberFormat.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <limits>
#include <tuple>

namespace {

TEST(NumberFormat, GroupedDigitsFollowTheGroupingRule) {
    // Each byte of the rule is the size of the next group from the right, the last repeating; 0 or
    // CHAR_MAX ends the grouping. The separator may be more than one byte.
    const std::string noMore{'\3', CHAR_MAX};
    const std::tuple<std::int64_t, std::string, const char*, const char*> cases[] = {
        {0, "\3", ",", "0"},
        {999, "\3", ",", "999"},
        {1000, "\3", ",", "1,000"},
        {-999, "\3", ",", "-999"},
        {-1234, "\3", ",", "-1,234"},
        {std::numeric_limits<std::int64_t>::max(), "\3", ",", "9,223,372,036,854,775,807"},
        {std::numeric_limits<std::int64_t>::min(), "\3", ",", "-9,223,372,036,854,775,808"},
        {1234567, "", ",", "1234567"},
        {123456789, "\3\2", ",", "12,34,56,789"},
        {123456789, noMore, ",", "123456,789"},
        {123456789, std::string{'\3', '\0'}, ",", "123456,789"},
        {1234567, "\3", "\u202F", "1\u202F234\u202F567"}};
    for (const auto& [value, grouping, separator, text] : cases) {
        EXPECT_EQ(FormatGroupedDigits(value, grouping, separator), text);
    }
    EXPECT_EQ(FormatGroupedByThousands(-1234567), "-1,234,567");
    EXPECT_EQ(FormatGroupedByThousands(1234567, '.'), "1.234.567");
}

class PunctWithNarrowSpace : public std::numpunct<wchar_t> {
protected:
    wchar_t do_thousands_sep() const override { return L'\u202F'; }
    std::string do_grouping() const override { return "\3"; }
};

TEST(NumberFormat, GroupedNumberUsesTheLocalesPunctuation) {
    EXPECT_EQ(FormatGroupedNumberInLocale(-1234567, std::locale(std::locale::classic(), new PunctWithNarrowSpace)),
              "-1\u202F234\u202F567");
    EXPECT_EQ(FormatGroupedNumberInLocale(1234567, std::locale::classic()), "1234567");
    // Whatever the user's regional settings group with, the digits and the sign come through in order.
    for (const std::int64_t value :
         {std::int64_t{0}, std::int64_t{-1234567}, std::numeric_limits<std::int64_t>::max()}) {
        std::string kept = FormatGroupedNumber(value);
        kept.erase(std::remove_if(kept.begin(), kept.end(), [](char c) { return (c < '0' || c > '9') && c != '-'; }),
                   kept.end());
        EXPECT_EQ(kept, std::to_string(value));
    }
}

} // namespace
