// Value syntax of the settings and theme files, and where theme pictures are looked up.
#include "config/ConfigValues.h"
#include "config/ThemeImagePath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>

namespace {

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::nullopt_t kNone = std::nullopt;

// Ties go to even, decided on the digits; anything but plain decimal, or past 32 bits, is no integer.
TEST(ConfigValues, Integers) {
    const std::pair<const char*, std::int32_t> numbers[] = {
        {"+42", 42},   {"-42", -42}, {"12.5", 12}, {"13.5", 14},           {"-13.5", -14},          {"12.5001", 13},
        {"12.49", 12}, {".5", 0},    {"5.", 5},    {"2147483647.4", kMax}, {"-2147483648.5", kMin}, {"000000000001", 1},
    };
    for (const auto& [text, expected] : numbers) {
        EXPECT_EQ(ParseInteger(text), expected) << text;
    }
    for (const char* text : {"", "-", ".", "1.2.3", "1e3", "0x10", " 12", "12 ", "１２", "2147483648", "2147483647.5",
                             "-2147483649", "99999999999"}) {
        EXPECT_EQ(ParseInteger(text), kNone) << text;
    }
}

TEST(ConfigValues, Flags) {
    const std::pair<const char*, std::optional<bool>> cases[] = {
        {"tRuE", true},   {"Yes", true},         {"on", true},      {"-5", true},     {"2.5", true},
        {"0.5", false},   {"No", false},         {"off", false},    {"FALSE", false}, {"0", false},
        {"maybe", kNone}, {"yes please", kNone}, {"ＹＥＳ", kNone}, {"1e0", kNone}};
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(ParseFlag(text), expected) << text;
    }
}

TEST(ConfigValues, Colors) {
    const std::pair<const char*, std::int32_t> colors[] = {
        {"#FF8000", 0x80FF},    {"#ff8000", 0x80FF},          {"#FFF", 0xFFF},    {"#12345G", 5},
        {"0x000080FF", 0x80FF}, {"0x8000000F", -2147483633},  {"0xffffffff", -1}, {"0x80ffZZ", 0x80FF},
        {"12.5", 12},           {"-2147483633", -2147483633},
    };
    for (const auto& [text, expected] : colors) {
        EXPECT_EQ(ParseColor(text), expected) << text;
    }
    for (const char* text : {"0X80FF", "red", "0x", "#", "#GG", "0x123456789", "4294967295"}) {
        EXPECT_EQ(ParseColor(text), kNone) << text;
    }
}

TEST(ConfigValues, RoundToInt32) {
    const std::pair<double, std::int32_t> cases[] = {
        {0.5, 0}, {1.5, 2}, {2.5, 2}, {-0.5, 0}, {-1.5, -2}, {2.4999, 2}, {1e12, kMax}, {-1e12, kMin}, {NAN, 0},
    };
    for (const auto& [value, expected] : cases) {
        EXPECT_EQ(RoundToInt32(value), expected) << value;
    }
}

TEST(ThemeImagePath, BothPathRules) {
    constexpr PathRules win = PathRules::Windows, posix = PathRules::Posix;
    const std::tuple<PathRules, const char*, const char*, const char*> cases[] = {
        {win, "blue\\drop.bmp", "C:\\app\\theme\\blue.ini", "C:\\app\\theme\\blue\\drop.bmp"},
        {win, "\\\\server\\share\\a.bmp", "C:\\t\\b.ini", "\\\\server\\share\\a.bmp"},
        {win, "d:\\a.bmp", "C:\\t\\b.ini", "d:\\a.bmp"},
        {win, "C:a.bmp", "C:\\t\\b.ini", "C:\\t\\C:a.bmp"},
        {win, "1:\\a.bmp", "C:\\t\\b.ini", "C:\\t\\1:\\a.bmp"},
        {win, "a.bmp", "C:\\b.ini", "C:\\a.bmp"},
        {win, "", "C:\\t\\b.ini", ""},
        {win, "a.bmp", "", "a.bmp"},
        {posix, "blue\\drop.bmp", "/app/theme/blue.ini", "/app/theme/blue/drop.bmp"},
        {posix, "/pics/a.bmp", "/app/theme/blue.ini", "/pics/a.bmp"},
        {posix, "D:\\pics\\a.bmp", "/t/b.ini", "/t/D:/pics/a.bmp"},
        {posix, "a.bmp", "/b.ini", "/a.bmp"},
        {posix, "", "/t/b.ini", ""},
    };
    for (const auto& [rules, value, themeFile, expected] : cases) {
        EXPECT_EQ(ResolveThemeImagePath(value, themeFile, rules), expected) << value;
    }
}

} // namespace
