#include "util/NumberFormat.h"

#include <gtest/gtest.h>

#include <climits>
#include <limits>

namespace {

TEST(NumberFormat, GroupedByThousands) {
    const struct {
        std::int64_t value;
        const char* text;
    } cases[] = {
        {0, "0"},
        {999, "999"},
        {1000, "1,000"},
        {1234567, "1,234,567"},
        {-1234, "-1,234"},
        {-999, "-999"},
        {std::numeric_limits<std::int64_t>::max(), "9,223,372,036,854,775,807"},
        {std::numeric_limits<std::int64_t>::min(), "-9,223,372,036,854,775,808"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatGroupedByThousands(c.value), c.text);
    }
    EXPECT_EQ(FormatGroupedByThousands(1234567, '.'), "1.234.567");
}

TEST(NumberFormat, GroupedDigitsFollowTheGroupingRule) {
    const std::string noMore(1, CHAR_MAX);
    EXPECT_EQ(FormatGroupedDigits(1234567, "", ","), "1234567");
    EXPECT_EQ(FormatGroupedDigits(123456789, "\3\2", ","), "12,34,56,789");
    EXPECT_EQ(FormatGroupedDigits(123456789, "\3" + noMore, ","), "123456,789");
    EXPECT_EQ(FormatGroupedDigits(123456789, std::string("\3\0", 2), ","), "123456,789");
    EXPECT_EQ(FormatGroupedDigits(1234567, "\3", "\u202F"), "1\u202F234\u202F567");
}

class PunctWithNarrowSpace : public std::numpunct<wchar_t> {
protected:
    wchar_t do_thousands_sep() const override { return L'\u202F'; }
    std::string do_grouping() const override { return "\3"; }
};

TEST(NumberFormat, GroupedNumberUsesTheLocalesPunctuation) {
    const std::locale custom(std::locale::classic(), new PunctWithNarrowSpace);
    EXPECT_EQ(FormatGroupedNumberInLocale(-1234567, custom), "-1\u202F234\u202F567");
    EXPECT_EQ(FormatGroupedNumberInLocale(1234567, std::locale::classic()), "1234567");
}

TEST(NumberFormat, UserSettingsKeepEveryDigit) {
    // Whatever the regional settings group with, the digits and the sign come through in order.
    for (const std::int64_t value :
         {std::int64_t{0}, std::int64_t{999}, std::int64_t{-1234567}, std::numeric_limits<std::int64_t>::max()}) {
        std::string kept;
        for (const char c : FormatGroupedNumber(value)) {
            if ((c >= '0' && c <= '9') || c == '-') {
                kept += c;
            }
        }
        EXPECT_EQ(kept, std::to_string(value));
    }
}

} // namespace
