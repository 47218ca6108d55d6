// On Windows case folding and the ANSI code page must be the system's own: held here to its ordinal
// comparison and its conversion functions for every character of the basic plane and every byte pair.
#include "util/CaseFold.h"
#include "util/CodePage.h"
#include "util/Utf8.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>
#include <windows.h>

namespace {

std::wstring Wide(const std::string& utf8) {
    std::wstring wide(utf8.size() + 1, L'\0');
    wide.resize(static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                                             wide.data(), static_cast<int>(wide.size()))));
    return wide;
}

std::string Utf8Of(const wchar_t* wide, int length) {
    std::string utf8(static_cast<std::size_t>(length) * 3, '\0');
    utf8.resize(static_cast<std::size_t>(
        WideCharToMultiByte(CP_UTF8, 0, wide, length, utf8.data(), static_cast<int>(utf8.size()), nullptr, nullptr)));
    return utf8;
}

int SystemCompare(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE);
}

// Every character of the basic plane but the surrogates, as UTF-16 and UTF-8.
template <typename Check>
void ForEachCharacter(Check check) {
    for (char32_t c = 1; c < 0x10000 && !::testing::Test::HasFatalFailure(); ++c) {
        if (c < 0xD800 || c > 0xDFFF) {
            std::string text;
            AppendCodePoint(text, c);
            check(static_cast<wchar_t>(c), text);
        }
    }
}

// The system's reading of `bytes`; a byte it cannot start a character with becomes U+FFFD and the
// next byte is read again on its own.
std::string SystemReading(const std::string& bytes) {
    wchar_t wide[4] = {};
    const int length =
        MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), wide, 4);
    if (length > 0) {
        return Utf8Of(wide, length);
    }
    return "\uFFFD" + (bytes.size() > 1 ? SystemReading(bytes.substr(1)) : "");
}

TEST(CaseFoldWindows, AgreesWithTheOrdinalComparison) {
    // Every character grouped by its folded form: within a group the system sees one character ...
    std::map<std::string, std::vector<std::wstring>> groups;
    ForEachCharacter([&](wchar_t c, const std::string& text) { groups[CaseFold(text)].push_back({c}); });
    std::vector<std::wstring> firsts;
    for (const auto& [folded, members] : groups) {
        for (const std::wstring& member : members) {
            ASSERT_EQ(SystemCompare(members.front(), member), CSTR_EQUAL)
                << std::hex << int(members.front()[0]) << " " << int(member[0]);
        }
        firsts.push_back(members.front());
    }
    // ... and no two groups are one to the system: sorted its way, equal neighbours would show.
    std::sort(firsts.begin(), firsts.end(),
              [](const auto& a, const auto& b) { return SystemCompare(a, b) == CSTR_LESS_THAN; });
    for (std::size_t i = 1; i < firsts.size(); ++i) {
        ASSERT_NE(SystemCompare(firsts[i - 1], firsts[i]), CSTR_EQUAL)
            << std::hex << int(firsts[i - 1][0]) << " " << int(firsts[i][0]);
    }
    const char* const texts[] = {"Readme.TXT", "readme.txt", "ＲＥＡＤＭＥ.txt", "ｒｅａｄｍｅ.TXT", "Привет", "ПРИВЕТ",
                                 "ΣΟΦΙΑ",      "σοφια",      "データ.bin",       "データ.BIN",       "",       "ß"};
    for (const char* a : texts) {
        for (const char* b : texts) {
            EXPECT_EQ(EqualsIgnoreCase(a, b), SystemCompare(Wide(a), Wide(b)) == CSTR_EQUAL) << a << " / " << b;
        }
    }
}

TEST(CodePageWindows, EveryByteAndBytePairReadsAsTheSystemReadsIt) {
    // Under Wine the code page follows LC_ALL: ja_JP.UTF-8 gives 932.
    ASSERT_EQ(GetACP(), 932u);
    for (int first = 0; first < 256; ++first) {
        const std::string single(1, static_cast<char>(first));
        if (!IsDBCSLeadByteEx(CP_ACP, static_cast<BYTE>(first))) {
            ASSERT_EQ(AnsiToUtf8(single), SystemReading(single)) << first;
            continue;
        }
        ASSERT_EQ(AnsiToUtf8(single), "\uFFFD") << first; // a lead byte alone is cut short
        for (int second = 0; second < 256; ++second) {
            const std::string pair = single + static_cast<char>(second);
            ASSERT_EQ(AnsiToUtf8(pair), SystemReading(pair)) << first << " " << second;
        }
    }
}

TEST(CodePageWindows, EveryCharacterWritesAsTheSystemWritesItWithoutLookAlikes) {
    ForEachCharacter([](wchar_t c, const std::string& text) {
        char bytes[4] = {};
        BOOL lacking = FALSE;
        const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &c, 1, bytes, 4, nullptr, &lacking);
        ASSERT_EQ(Utf8ToAnsi(text), lacking ? std::string("?") : std::string(bytes, static_cast<std::size_t>(length)))
            << std::hex << int(c);
    });
}

} // namespace
