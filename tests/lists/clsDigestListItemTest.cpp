#include "lists/clsDigestListItem.h"
#include "util/AppError.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

using namespace std::string_literals;

TEST(clsDigestListItem, DigestIsFilledAndCasedByLengthOrRefused) {
    const struct {
        std::string value;
        const char* digest; // nullptr: refused, the previous digest stays
        std::int32_t kind;
    } cases[] = {
        {"12 34", "1234", DigestKind::CRC16},
        {"   ", "", DigestKind::None},
        {"", "", DigestKind::None},
        {"abc", "0ABC", DigestKind::CRC16},
        {"9f8e7d6c", "9F8E7D6C", DigestKind::CRC32},
        {"12345", "00012345", DigestKind::CRC32},
        {"123456789", "00000000000000000000000123456789", DigestKind::MD5},
        {"D41D8CD98F00B204E9800998ECF8427E", "d41d8cd98f00b204e9800998ecf8427e", DigestKind::MD5},
        {" d41d8cd9 8f00b204 e9800998 ecf8427e ", "d41d8cd98f00b204e9800998ecf8427e", DigestKind::MD5},
        {"0x1234", nullptr, 0},
        {"12-34", nullptr, 0},
        {"12\t34", nullptr, 0},
        {"12\n34", nullptr, 0},
        {"12\0"s + "4", nullptr, 0},
        {"ｆｆｆｆ", nullptr, 0},
        {"g", nullptr, 0},
        {"123456789012345678901234567890123", nullptr, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        clsDigestListItem item;
        item.setDigest("1a2b3c4d");
        try {
            item.setDigest(c.value);
            EXPECT_NE(c.digest, nullptr) << "no error";
        } catch (const AppError& e) {
            EXPECT_EQ(c.digest, nullptr);
            EXPECT_EQ(e.Number(), ErrorNumber::InvalidDigest);
            EXPECT_EQ(e.Description(), "プロパティの値が不正です。(Digest)");
        }
        EXPECT_EQ(item.Digest(), c.digest ? c.digest : "1A2B3C4D");
        EXPECT_EQ(item.DigetsType(), c.digest ? c.kind : DigestKind::CRC32);
    }
}

TEST(clsDigestListItem, NegativeSizesMeanNone) {
    const std::int64_t cases[][2] = {
        {-5, -1}, {0, 0}, {4294967296, 4294967296}, {std::numeric_limits<std::int64_t>::min(), -1}};
    for (const auto& [value, stored] : cases) {
        clsDigestListItem item;
        item.setBytes(value);
        EXPECT_EQ(item.Bytes(), stored);
    }
}

} // namespace
