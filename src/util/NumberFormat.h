// Whole numbers written with the digit grouping of the user's regional settings.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

/// Turns a count into its display text; the run takes one so tests can pin the grouping.
using NumberFormatter = std::function<std::string(std::int64_t)>;

/// `value` in decimal, no fraction digits, grouped as the user's regional settings say
/// (1234 gives "1,234" under Japanese or English settings).
std::string FormatGroupedNumber(std::int64_t value);

/// `value` grouped in threes with `separator`, whatever the regional settings: "1,234,567".
std::string FormatGroupedByThousands(std::int64_t value, char separator = ',');
