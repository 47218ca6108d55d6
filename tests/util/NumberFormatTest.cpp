#include "util/NumberFormat.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <limits>
#include <optional>

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

// Sets LC_ALL for one test and puts the old value back.
class ScopedLocaleEnvironment {
public:
    explicit ScopedLocaleEnvironment(const char* value) {
        if (const char* old = std::getenv("LC_ALL")) {
            m_Old = old;
        }
        ::setenv("LC_ALL", value, 1);
    }
    ~ScopedLocaleEnvironment() {
        if (m_Old) {
            ::setenv("LC_ALL", m_Old->c_str(), 1);
        } else {
            ::unsetenv("LC_ALL");
        }
    }

private:
    std::optional<std::string> m_Old;
};

TEST(NumberFormat, UserLocaleFallsBackToPlainDigits) {
    {
        ScopedLocaleEnvironment c("C");
        EXPECT_EQ(FormatGroupedNumber(1234567), "1234567");
    }
    {
        ScopedLocaleEnvironment unknown("xx_NOWHERE.NOPE");
        EXPECT_EQ(FormatGroupedNumber(1234567), "1234567");
    }
}

} // namespace
