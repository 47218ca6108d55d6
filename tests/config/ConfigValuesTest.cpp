// Value syntax of the settings and theme files, and where theme pictures are looked up.
#include "config/ConfigValues.h"
#include "config/ThemeImagePath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

TEST(ConfigValues, IntegersRoundToNearestEven) {
    const std::pair<const char*, std::int32_t> cases[] = {
        {"0", 0},
        {"42", 42},
        {"+42", 42},
        {"-42", -42},
        {"007", 7},
        {"12.5", 12},
        {"13.5", 14},
        {"-12.5", -12},
        {"-13.5", -14},
        {"12.51", 13},
        {"12.49", 12},
        {"12.500000001", 13},
        {".5", 0},
        {"1.5", 2},
        {"5.", 5},
        {"-0", 0},
        {"2147483647", kMax},
        {"-2147483648", kMin},
        {"2147483647.4", kMax},
        {"-2147483648.5", kMin},
        {"000000000000000000001", 1},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(text);
        const std::optional<std::int32_t> value = ParseInteger(text);
        ASSERT_TRUE(value.has_value());
        EXPECT_EQ(*value, expected);
    }
}

TEST(ConfigValues, NotIntegers) {
    const char* cases[] = {
        "",     "-",   "+",   ".",   "1.2.3", "1,000",      "--1",         "1e3",          "0x10",        "&H10",
        "12px", " 12", "12 ", "\t1", "٣",     "2147483648", "-2147483649", "2147483647.5", "99999999999", "１２"};
    for (const char* text : cases) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(ParseInteger(text).has_value());
    }
}

TEST(ConfigValues, Flags) {
    const std::pair<const char*, std::optional<bool>> cases[] = {
        {"on", true},
        {"Yes", true},
        {"TRUE", true},
        {"tRuE", true},
        {"1", true},
        {"-5", true},
        {"2.5", true},
        {"off", false},
        {"No", false},
        {"FALSE", false},
        {"0", false},
        {"0.5", false},
        {"maybe", std::nullopt},
        {"yes please", std::nullopt},
        {"ＹＥＳ", std::nullopt},
        {"1e0", std::nullopt},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(ParseFlag(text), expected);
    }
}

TEST(ConfigValues, Colors) {
    const std::pair<const char*, std::optional<std::int32_t>> cases[] = {
        {"#FF8000", 0x000080FF},
        {"0x000080FF", 33023},
        {"33023", 33023},
        {"0x8000000F", -2147483633},
        {"-2147483633", -2147483633},
        {"#FFF", 0x00000FFF},
        {"#F", 0xF},
        {"0xFF0000", 0xFF0000},
        {"255", 255},
        {"0xffffffff", -1},
        {"0x80ffZZ", 0x80FF},
        {"0x1 trailing", 1},
        {"#FF8000 trailing", 0x80FF},
        {"#ff8000", 0x80FF},
        {"#12345G", 5},
        {"12.5", 12},
        {"0x00000000", 0},
        {"0X80FF", std::nullopt},
        {"red", std::nullopt},
        {"0x", std::nullopt},
        {"#", std::nullopt},
        {"#GG", std::nullopt},
        {"0x123456789", std::nullopt},
        {"4294967295", std::nullopt},
        {"0xG", std::nullopt},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(ParseColor(text), expected);
    }
}

TEST(ConfigValues, RoundToInt32) {
    const std::pair<double, std::int32_t> cases[] = {
        {0.5, 0},     {1.5, 2},     {2.5, 2},     {-0.5, 0},     {-1.5, -2},        {2.4999, 2},
        {1234, 1234}, {-300, -300}, {1e12, kMax}, {-1e12, kMin}, {std::nan(""), 0},
    };
    for (const auto& [value, expected] : cases) {
        SCOPED_TRACE(value);
        EXPECT_EQ(RoundToInt32(value), expected);
    }
}

TEST(ConfigValues, TrimSpacesOnly) {
    EXPECT_EQ(TrimSpaces("  a b  "), "a b");
    EXPECT_EQ(TrimSpaces("   "), "");
    EXPECT_EQ(TrimSpaces("\ta\t"), "\ta\t");
}

TEST(ThemeImagePath, Resolution) {
    struct Case {
        PathRules rules;
        const char* value;
        const char* themeFile;
        const char* expected;
    };
    const Case cases[] = {
        {PathRules::Windows, "blue\\drop.bmp", "C:\\app\\theme\\blue.ini", "C:\\app\\theme\\blue\\drop.bmp"},
        {PathRules::Windows, "a.bmp", "C:\\app\\theme\\blue.ini", "C:\\app\\theme\\a.bmp"},
        {PathRules::Windows, "\\\\server\\share\\a.bmp", "C:\\t\\b.ini", "\\\\server\\share\\a.bmp"},
        {PathRules::Windows, "D:\\pics\\a.bmp", "C:\\t\\b.ini", "D:\\pics\\a.bmp"},
        {PathRules::Windows, "d:\\a.bmp", "C:\\t\\b.ini", "d:\\a.bmp"},
        {PathRules::Windows, "C:a.bmp", "C:\\t\\b.ini", "C:\\t\\C:a.bmp"},
        {PathRules::Windows, "1:\\a.bmp", "C:\\t\\b.ini", "C:\\t\\1:\\a.bmp"},
        {PathRules::Windows, "\\a.bmp", "C:\\t\\b.ini", "C:\\t\\\\a.bmp"},
        {PathRules::Windows, "a.bmp", "C:\\b.ini", "C:\\a.bmp"},
        {PathRules::Windows, "", "C:\\t\\b.ini", ""},
        {PathRules::Windows, "a.bmp", "", "a.bmp"},
        {PathRules::Posix, "blue/drop.bmp", "/app/theme/blue.ini", "/app/theme/blue/drop.bmp"},
        {PathRules::Posix, "/pics/a.bmp", "/app/theme/blue.ini", "/pics/a.bmp"},
        {PathRules::Posix, "blue\\drop.bmp", "/app/theme/blue.ini", "/app/theme/blue/drop.bmp"},
        {PathRules::Posix, "D:\\pics\\a.bmp", "/t/b.ini", "/t/D:/pics/a.bmp"},
        {PathRules::Posix, "a.bmp", "/b.ini", "/a.bmp"},
        {PathRules::Posix, "", "/t/b.ini", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(ResolveThemeImagePath(c.value, c.themeFile, c.rules), c.expected);
    }
}

} // namespace
