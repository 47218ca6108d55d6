// Digit grouping, independent of where the grouping rule comes from.
#include "util/NumberFormat.h"

#include "util/Utf8.h"

#include <algorithm>
#include <climits>

std::string FormatGroupedDigits(std::int64_t value, std::string_view grouping, std::string_view separator) {
    // The magnitude as unsigned, so the most negative value has one too.
    std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude != 0);

    // Walk from the right: each grouping byte is the size of the next group, the last one repeats,
    // and a size of 0 or CHAR_MAX ends the grouping.
    std::string result;
    std::size_t end = digits.size();
    std::size_t rule = 0;
    while (end > 0) {
        std::size_t size = end;
        if (!grouping.empty()) {
            const char g = grouping[std::min(rule, grouping.size() - 1)];
            if (g > 0 && g != CHAR_MAX && static_cast<std::size_t>(g) < end) {
                size = static_cast<std::size_t>(g);
            }
        }
        result.insert(0, digits, end - size, size);
        end -= size;
        if (end > 0) {
            result.insert(0, separator);
        }
        ++rule;
    }
    if (value < 0) {
        result.insert(result.begin(), '-');
    }
    return result;
}

std::string FormatGroupedByThousands(std::int64_t value, char separator) {
    return FormatGroupedDigits(value, "\3", std::string_view(&separator, 1));
}

std::string FormatGroupedNumberInLocale(std::int64_t value, const std::locale& locale) {
    const auto& punct = std::use_facet<std::numpunct<wchar_t>>(locale);
    std::string separator;
    AppendCodePoint(separator, static_cast<char32_t>(punct.thousands_sep()));
    return FormatGroupedDigits(value, punct.grouping(), separator);
}
