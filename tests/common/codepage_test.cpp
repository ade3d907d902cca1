#include "common/codepage.h"

#include <gtest/gtest.h>

#include "common/error.h"

namespace vt {
namespace {

TEST(CodePage, SingleByteMapsBothWays) {
    const CodePage cp1252 = CodePage::Open(1252);
    EXPECT_EQ(cp1252.ByteOf(U'\u20AC'), std::optional<std::uint8_t>(0x80));  // euro sign
    EXPECT_EQ(cp1252.ByteOf(U'\u00E9'), std::optional<std::uint8_t>(0xE9));
    EXPECT_FALSE(cp1252.Represents(U'\u0416'));  // Cyrillic Zhe
    EXPECT_EQ(cp1252.Encode("Caf\xC3\xA9 \xE2\x82\xAC"), "Caf\xE9 \x80");
    EXPECT_EQ(cp1252.Decode("Caf\xE9"), "Caf\xC3\xA9");
    EXPECT_THROW(cp1252.Encode("\xD0\x96"), ErrorException);

    const CodePage cp1251 = CodePage::Open(1251);
    EXPECT_EQ(cp1251.ByteOf(U'\u0416'), std::optional<std::uint8_t>(0xC6));
}

TEST(CodePage, MultiByteHasNoSingleBytes) {
    const CodePage cp932 = CodePage::Open(932);
    EXPECT_FALSE(cp932.SingleByte());
    EXPECT_FALSE(cp932.ByteOf(U'\u65E5').has_value());
    EXPECT_TRUE(cp932.Represents(U'\u65E5'));   // 日
    EXPECT_FALSE(cp932.Represents(U'\u0416' + 0x1000));
    EXPECT_EQ(cp932.Encode("\xE6\x97\xA5"), "\x93\xFA");
}

TEST(CodePage, UnknownNumbersAreRefused) {
    for (const int number : {0, -1, 12345}) {
        EXPECT_THROW(CodePage::Open(number), ErrorException) << number;
    }
}

}  // namespace
}  // namespace vt
