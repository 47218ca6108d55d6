// Digit grouping from the user's regional settings.
#include "util/NumberFormat.h"

#include "util/WinText.h"

#include <windows.h>

std::string FormatGroupedNumber(std::int64_t value) {
    const std::wstring digits = std::to_wstring(value);
    NUMBERFMTW format{};
    wchar_t decimal[8] = L".";
    wchar_t thousand[8] = L",";
    wchar_t grouping[16] = L"3;0";
    GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, decimal, 8);
    GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_STHOUSAND, thousand, 8);
    GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SGROUPING, grouping, 16);
    // "3;0" means groups of three all the way; NUMBERFMT wants that as 3.
    format.Grouping = static_cast<UINT>(grouping[0] - L'0');
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
