// Whole numbers written with the digit grouping of the user's regional settings.
#pragma once

#include <cstdint>
#include <functional>
#include <locale>
#include <string>
#include <string_view>

/// Turns a count into its display text; the run takes one so tests can pin the grouping.
using NumberFormatter = std::function<std::string(std::int64_t)>;

/// `value` in decimal, no fraction digits, grouped as the user's regional settings say
/// (1234 gives "1,234" under Japanese or English settings).
std::string FormatGroupedNumber(std::int64_t value);

/// `value` grouped in threes with `separator`, whatever the regional settings: "1,234,567".
std::string FormatGroupedByThousands(std::int64_t value, char separator = ',');

/// `value` in decimal, grouped by `grouping` as a numpunct facet gives it (each byte the size of the next
/// group from the right, the last repeating, 0 or CHAR_MAX ending the grouping), `separator` between groups.
std::string FormatGroupedDigits(std::int64_t value, std::string_view grouping, std::string_view separator);

/// `value` grouped by the numpunct<wchar_t> facet of `locale`, the separator written in UTF-8.
std::string FormatGroupedNumberInLocale(std::int64_t value, const std::locale& locale);
