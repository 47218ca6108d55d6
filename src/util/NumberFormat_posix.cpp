// Grouping from the user's locale (LC_ALL / LC_NUMERIC / LANG).
#include "util/NumberFormat.h"

#include <stdexcept>

std::string FormatGroupedNumber(std::int64_t value) {
    std::locale user = std::locale::classic();
    try {
        user = std::locale("");
    } catch (const std::runtime_error&) {
        // An unknown locale name in the environment: fall back to plain digits.
    }
    return FormatGroupedNumberInLocale(value, user);
}
