#include "lists/clsDigestListItem.h"
#include "util/AppError.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(clsDigestListItem, StartsEmpty) {
    const clsDigestListItem item;
    EXPECT_EQ(item.Name(), "");
    EXPECT_EQ(item.Digest(), "");
    EXPECT_EQ(item.DigetsType(), DigestKind::None);
    EXPECT_EQ(item.Bytes(), -1);
}

TEST(clsDigestListItem, DigestIsFilledAndCasedByLength) {
    const struct {
        const char* value;
        const char* digest;
        std::int32_t kind;
    } cases[] = {
        {"12 34", "1234", DigestKind::CRC16},
        {"   ", "", DigestKind::None},
        {"", "", DigestKind::None},
        {"abc", "0ABC", DigestKind::CRC16},
        {"1a2b3c4d", "1A2B3C4D", DigestKind::CRC32},
        {"12345", "00012345", DigestKind::CRC32},
        {"123456789", "00000000000000000000000123456789", DigestKind::MD5},
        {"D41D8CD98F00B204E9800998ECF8427E", "d41d8cd98f00b204e9800998ecf8427e", DigestKind::MD5},
        {" d41d8cd9 8f00b204 e9800998 ecf8427e ", "d41d8cd98f00b204e9800998ecf8427e", DigestKind::MD5},
    };
    for (const auto& c : cases) {
        clsDigestListItem item;
        item.setDigest("FFFF");
        item.setDigest(c.value);
        EXPECT_EQ(item.Digest(), c.digest) << c.value;
        EXPECT_EQ(item.DigetsType(), c.kind) << c.value;
    }
}

TEST(clsDigestListItem, InvalidDigestRaisesAndChangesNothing) {
    for (const char* value :
         {"0x1234", "12-34", "12\t34", "12\n34", "ｆｆｆｆ", "123456789012345678901234567890123", "g"}) {
        clsDigestListItem item;
        item.setDigest("1a2b3c4d");
        try {
            item.setDigest(value);
            ADD_FAILURE() << value;
        } catch (const AppError& e) {
            EXPECT_EQ(e.Number(), ErrorNumber::InvalidDigest);
            EXPECT_EQ(e.Description(), "プロパティの値が不正です。(Digest)");
        }
        EXPECT_EQ(item.Digest(), "1A2B3C4D") << value;
        EXPECT_EQ(item.DigetsType(), DigestKind::CRC32) << value;
    }
    clsDigestListItem item;
    EXPECT_THROW(item.setDigest(std::string_view("12\0"
                                                 "4",
                                                 4)),
                 AppError);
    EXPECT_EQ(item.DigetsType(), DigestKind::None);
}

TEST(clsDigestListItem, BytesAndName) {
    const struct {
        std::int64_t value;
        std::int64_t stored;
    } cases[] = {{-5, -1},
                 {0, 0},
                 {2147483647, 2147483647},
                 {4294967296, 4294967296},
                 {std::numeric_limits<std::int64_t>::min(), -1}};
    for (const auto& c : cases) {
        clsDigestListItem item;
        item.setBytes(c.value);
        EXPECT_EQ(item.Bytes(), c.stored);
    }
    clsDigestListItem item;
    item.setName("  a.txt ");
    EXPECT_EQ(item.Name(), "  a.txt ");
}

} // namespace
