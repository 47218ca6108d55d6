#include "digest/DigestKind.h"

#include <iterator>

namespace {

constexpr std::size_t kWidths[] = {0, 4, 8, 32, 40, 56, 64, 96, 128};

} // namespace

std::size_t DigestKindWidth(DigestKind kind) {
    const auto number = static_cast<std::int32_t>(kind);
    return number >= 0 && number < static_cast<std::int32_t>(std::size(kWidths)) ? kWidths[number] : 0;
}

DigestKind DigestKindOfWidth(std::size_t digits) {
    for (std::int32_t number = 1; number < static_cast<std::int32_t>(std::size(kWidths)); ++number) {
        if (kWidths[number] == digits) {
            return static_cast<DigestKind>(number);
        }
    }
    return DigestKind::None;
}

DigestKind DigestKindOf(std::int32_t number) {
    return number >= 0 && number < static_cast<std::int32_t>(std::size(kWidths)) ? static_cast<DigestKind>(number)
                                                                                 : DigestKind::None;
}
