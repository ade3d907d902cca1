#include "common/codepage.h"

#include <gtest/gtest.h>

#include <tuple>

#include "common/error.h"
#include "common/text.h"

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

// A code page holds a character only when the character comes back as itself: the C
// library would write 932's yen sign and overline as a backslash and a tilde.
TEST(CodePage, HoldsOnlyCharactersThatComeBackAsThemselves) {
    const std::tuple<int, const char*, bool> cases[] = {
        {932, "\xC2\xA5", false},      // U+00A5 yen sign
        {932, "\xE2\x80\xBE", false},  // U+203E overline
        {932, "\xE3\x80\x9C", false},  // U+301C wave dash, written as U+FF5E
        {932, "\xEF\xBD\x9E", true},   // U+FF5E fullwidth tilde
        {932, "\xEF\xBF\xA5", true},   // U+FFE5 fullwidth yen sign
        {936, "\xE4\xB8\xAD", true},   // U+4E2D
        {949, "\xEA\xB0\x80", true},   // U+AC00
        {1252, "\xC2\xA5", true},
        {1251, "\xC2\xA5", false},
        {1250, "\xC5\xA1", true},      // U+0161
    };
    for (const auto& [number, utf8, held] : cases) {
        const CodePage page = CodePage::Open(number);
        std::size_t at = 0;
        EXPECT_EQ(page.Represents(DecodeNext(utf8, at)), held) << number << " " << utf8;
        if (held) {
            EXPECT_EQ(page.Decode(page.Encode(utf8)), utf8) << number << " " << utf8;
        } else {
            EXPECT_THROW(page.Encode(std::string("a") + utf8), ErrorException) << number << " " << utf8;
        }
    }
}

TEST(CodePage, UnknownNumbersAreRefused) {
    for (const int number : {0, -1, 12345}) {
        EXPECT_THROW(CodePage::Open(number), ErrorException) << number;
    }
}

}  // namespace
}  // namespace vt
