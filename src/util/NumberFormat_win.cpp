// Digit grouping from the user's regional settings.
#include "util/NumberFormat.h"

#include "util/WinText.h"

#include <cwctype>
#include <windows.h>

namespace {

// LOCALE_SGROUPING ("3;0", "3;2;0") in the form NUMBERFMT wants (3, 32): the group sizes as digits of
// one number, the last size repeating when the text ends in ";0" and not repeating (a trailing 0) otherwise.
UINT GroupingOf(const wchar_t* text) {
    std::wstring sizes;
    for (; *text != L'\0'; ++text) {
        if (std::iswdigit(*text)) {
            sizes += *text;
        }
    }
    if (!sizes.empty() && sizes.back() == L'0') {
        sizes.pop_back();
    } else {
        sizes += L'0';
    }
    UINT grouping = 0;
    for (wchar_t digit : sizes) {
        grouping = grouping * 10 + static_cast<UINT>(digit - L'0');
    }
    return grouping;
}

} // namespace

std::string FormatGroupedNumber(std::int64_t value) {
    const std::wstring digits = std::to_wstring(value);
    NUMBERFMTW format{};
    wchar_t decimal[8] = L".";
    wchar_t thousand[8] = L",";
    wchar_t grouping[16] = L"3;0";
    GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, decimal, 8);
    GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_STHOUSAND, thousand, 8);
    GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SGROUPING, grouping, 16);
    format.Grouping = GroupingOf(grouping);
    format.NumDigits = 0;
    format.LeadingZero = 1;
    format.lpDecimalSep = decimal;
    format.lpThousandSep = thousand;
    format.NegativeOrder = 1;
    wchar_t out[64] = {};
    if (GetNumberFormatEx(LOCALE_NAME_USER_DEFAULT, 0, digits.c_str(), &format, out, 64) <= 0) {
        return FormatGroupedByThousands(value);
    }
    return WideToUtf8(out);
}
