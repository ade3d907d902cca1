#include "generator/quote.h"

#include <gtest/gtest.h>

namespace vt {
namespace {

const CodePage& Cp1252() {
    static const CodePage page = CodePage::Open(1252);
    return page;
}

TEST(QuoteString, RendersEveryKindOfCharacter) {
    struct Case {
        std::string text;
        std::string expected;
    };
    const Case cases[] = {
        {"", "\"\""},
        {"abc", "\"abc\""},
        {"a\"b", "\"a\"\"b\""},
        {"\"", "\"\"\"\""},
        {" ", "\" \""},
        {"a\tb", "\"a\" & Chr(9) & \"b\""},
        {"\t", "Chr(9)"},
        {"\ta", "Chr(9) & \"a\""},
        {"a\r\n", "\"a\" & Chr(13) & Chr(10)"},
        {"\r\na", "Chr(13) & Chr(10) & \"a\""},
        {"say \"hi\"\tx", "\"say \"\"hi\"\"\" & Chr(9) & \"x\""},
        {std::string("a\0b", 3), "\"a\" & Chr(0) & \"b\""},
        {"\x7F", "Chr(127)"},
        // From 128 up: the code page's byte, or ChrW where the code page lacks it.
        {"Caf\xC3\xA9", "\"Caf\" & Chr(233)"},
        {"\xE2\x82\xAC" "5", "Chr(128) & \"5\""},
        {"\xD0\x96", "ChrW(1046)"},
        {"x\xF0\x9F\x98\x80", "\"x\" & ChrW(55357) & ChrW(56832)"},  // beyond U+FFFF
    };
    for (const Case& c : cases) {
        EXPECT_EQ(QuoteString(c.text, Cp1252()), c.expected) << c.text;
    }
}

TEST(QuoteString, MultiByteCodePageUsesChrW) {
    const CodePage cp932 = CodePage::Open(932);
    EXPECT_EQ(QuoteString("\xE6\x97\xA5" "a", cp932), "ChrW(26085) & \"a\"");
}

TEST(QuoteString, HasNoLengthLimit) {
    const std::string text(40000, 'x');
    EXPECT_EQ(QuoteString(text, Cp1252()), "\"" + text + "\"");
}

TEST(Literal, PlainWhenSafeQuotedOtherwise) {
    struct Case {
        std::string text;
        std::string expected;
    };
    const Case cases[] = {
        {"Customers", "\"Customers\""},
        {"", "\"\""},
        {"Caf\xC3\xA9", "\"Caf\xC3\xA9\""},  // exists in the code page: unchanged
        {"Order \"Details\"", "\"Order \"\"Details\"\"\""},
        {"Line\r\nBreak", "\"Line\" & Chr(13) & Chr(10) & \"Break\""},
        {"x\")\r\nKill \"C:\\", "\"x\"\")\" & Chr(13) & Chr(10) & \"Kill \"\"C:\\\""},
        {"\xD0\x96" "ar", "ChrW(1046) & \"ar\""},
        {"del\x7F", "\"del\" & Chr(127)"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Literal(c.text, Cp1252()), c.expected) << c.text;
    }
}

TEST(PlainText, ReplacesWhatALiteralCannotHold) {
    EXPECT_EQ(PlainText("my \"best\"\tmodule\xD0\x96", Cp1252()), "my ?best??module?");
    EXPECT_EQ(PlainText("Caf\xC3\xA9", Cp1252()), "Caf\xC3\xA9");
}

TEST(IdentifierFromName, KeepsEightLettersDigitsAndUnderscores) {
    struct Case {
        const char* name;
        const char* identifier;
    };
    const Case cases[] = {
        {"Sales 1997", "Sales199"},   {"2nd_Order", "nd_Order"}, {"_test_", "test"},
        {"my-db", "mydb"},            {"Inventory_Control", "Inventor"},
        {"a_b_c_d_e_f", "a_b_c_de"},  {"ab_.", "ab_"},           {"12ab34", "ab34"},
        {"123", ""},                  {"", ""},                  {"Orders", "Orders"},
        {"Inventory", "Inventor"},    {"\xC3\x84pfel", "pfel"},  {"abcdefg_", "abcdefg"},
        {"abcdefg_h", "abcdefgh"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IdentifierFromName(c.name), c.identifier) << c.name;
    }
}

}  // namespace
}  // namespace vt
