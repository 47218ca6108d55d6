// On Windows the conversion is the system's own for code page 932, held here to its conversion functions
// for every single byte, every byte pair and every character of the basic plane.
#include "util/CodePage.h"
#include "util/Utf8.h"

#include <gtest/gtest.h>

#include <string>
#include <windows.h>

namespace {

std::string Utf8Of(const wchar_t* wide, int length) {
    std::string utf8(static_cast<std::size_t>(length) * 3, '\0');
    utf8.resize(static_cast<std::size_t>(
        WideCharToMultiByte(CP_UTF8, 0, wide, length, utf8.data(), static_cast<int>(utf8.size()), nullptr, nullptr)));
    return utf8;
}

// The system's strict reading of `bytes`, or nothing when it rejects them.
bool SystemReads(const std::string& bytes, std::string& text) {
    wchar_t wide[4] = {};
    const int length =
        MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), wide, 4);
    text = Utf8Of(wide, length);
    return length > 0;
}

TEST(CodePageWindows, TheTestsRunWithCodePage932) {
    // Under Wine the code page follows LC_ALL: ja_JP.UTF-8 gives 932.
    ASSERT_EQ(GetACP(), 932u);
}

TEST(CodePageWindows, EveryByteAndBytePairReadsAsTheSystemReadsIt) {
    for (int first = 0; first < 256; ++first) {
        const std::string single(1, static_cast<char>(first));
        std::string text;
        if (IsDBCSLeadByteEx(CP_ACP, static_cast<BYTE>(first))) {
            // A lead byte alone is cut short.
            ASSERT_EQ(AnsiToUtf8(single), "\uFFFD") << first;
            for (int second = 0; second < 256; ++second) {
                const std::string pair = single + static_cast<char>(second);
                if (SystemReads(pair, text)) {
                    ASSERT_EQ(AnsiToUtf8(pair), text) << first << " " << second;
                } else {
                    // Only the lead byte is spoilt; the second byte is read again on its own.
                    std::string rest;
                    const std::string second1(1, static_cast<char>(second));
                    const std::string expectedRest = SystemReads(second1, rest) ? rest : "\uFFFD";
                    ASSERT_EQ(AnsiToUtf8(pair), "\uFFFD" + expectedRest) << first << " " << second;
                }
            }
        } else {
            ASSERT_EQ(AnsiToUtf8(single), SystemReads(single, text) ? text : "\uFFFD") << first;
        }
    }
}

TEST(CodePageWindows, EveryCharacterWritesAsTheSystemWritesItWithoutLookAlikes) {
    for (char32_t c = 1; c < 0x10000; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) {
            continue;
        }
        const wchar_t wide = static_cast<wchar_t>(c);
        char bytes[4] = {};
        BOOL lacking = FALSE;
        const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &wide, 1, bytes, 4, nullptr, &lacking);
        std::string text;
        AppendCodePoint(text, c);
        ASSERT_EQ(Utf8ToAnsi(text), lacking ? std::string("?") : std::string(bytes, static_cast<std::size_t>(length)))
            << std::hex << int(c);
    }
}

} // namespace
