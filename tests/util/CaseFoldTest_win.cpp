// On Windows the folding must tell texts apart exactly as the system's ordinal comparison ignoring case
// does (the comparison its file systems use), while still folding to lower case.
#include "util/CaseFold.h"
#include "util/Utf8.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>
#include <windows.h>

namespace {

bool SystemEqual(wchar_t a, wchar_t b) {
    return CompareStringOrdinal(&a, 1, &b, 1, TRUE) == CSTR_EQUAL;
}

bool SystemLess(wchar_t a, wchar_t b) {
    return CompareStringOrdinal(&a, 1, &b, 1, TRUE) == CSTR_LESS_THAN;
}

TEST(CaseFoldWindows, AgreesWithTheOrdinalComparisonOnEveryCharacter) {
    // Every character of the basic plane, grouped by its folded form.
    std::map<std::string, std::vector<wchar_t>> groups;
    for (char32_t c = 1; c < 0x10000; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) {
            continue;
        }
        std::string text;
        AppendCodePoint(text, c);
        groups[CaseFold(text)].push_back(static_cast<wchar_t>(c));
    }
    // Within a group the system sees one character ...
    std::vector<wchar_t> firsts;
    for (const auto& [folded, members] : groups) {
        for (wchar_t member : members) {
            ASSERT_TRUE(SystemEqual(members.front(), member)) << std::hex << int(members.front()) << " " << int(member);
        }
        firsts.push_back(members.front());
    }
    // ... and no two groups are one to the system: sorted its way, equal neighbours would show.
    std::sort(firsts.begin(), firsts.end(), SystemLess);
    for (std::size_t i = 1; i < firsts.size(); ++i) {
        ASSERT_FALSE(SystemEqual(firsts[i - 1], firsts[i])) << std::hex << int(firsts[i - 1]) << " " << int(firsts[i]);
    }
}

TEST(CaseFoldWindows, WholeTextsAgreeWithTheOrdinalComparison) {
    const char* const texts[] = {"Readme.TXT", "readme.txt", "ＲＥＡＤＭＥ.txt", "ｒｅａｄｍｅ.TXT", "Привет", "ПРИВЕТ",
                                 "ΣΟΦΙΑ",      "σοφια",      "データ.bin",       "データ.BIN",       "",       "ß"};
    for (const char* a : texts) {
        for (const char* b : texts) {
            std::wstring wideA(64, L'\0'), wideB(64, L'\0');
            wideA.resize(static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, a, -1, wideA.data(), 64) - 1));
            wideB.resize(static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, b, -1, wideB.data(), 64) - 1));
            const bool system = CompareStringOrdinal(wideA.data(), static_cast<int>(wideA.size()), wideB.data(),
                                                     static_cast<int>(wideB.size()), TRUE) == CSTR_EQUAL;
            EXPECT_EQ(EqualsIgnoreCase(a, b), system) << a << " / " << b;
        }
    }
}

} // namespace
