// Text forms: fixed width, zero-filled, upper case for CRCs and lower case for MD5.
#include "digest/DigestText.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

namespace {

TEST(DigestText, CRCsAreUpperCaseAndZeroFilled) {
    const struct {
        std::uint32_t value;
        int digits;
        const char* text;
    } rows[] = {
        {0x0, 4, "0000"},
        {0xAB, 4, "00AB"},
        {0xFFFF, 4, "FFFF"},
        {0x0, 8, "00000000"},
        {0xABCD, 8, "0000ABCD"},
        {0x80000000U, 8, "80000000"},
        {0xFFFFFFFFU, 8, "FFFFFFFF"},
        {0x1A2B3C4DU, 8, "1A2B3C4D"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(HexUpper(row.value, row.digits), row.text);
    }
}

TEST(DigestText, MD5IsLowerCaseByteZeroFirst) {
    std::array<std::uint8_t, 16> bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<std::uint8_t>(0x0A + 0x11 * i);
    }
    EXPECT_EQ(HexLower(bytes.data(), bytes.size()), "0a1b2c3d4e5f708192a3b4c5d6e7f809");
    const std::array<std::uint8_t, 16> zeros{};
    EXPECT_EQ(HexLower(zeros.data(), zeros.size()), "00000000000000000000000000000000");
}

} // namespace
