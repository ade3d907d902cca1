// Identifier bracketing: any script's letters pass, everything else and the
// reserved words get brackets.

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "query_test_rows.h"

namespace vt {
namespace {

struct IdentCase {
    const char* name;
    const char* expected;  // nullptr: cannot be written
};

void PrintTo(const IdentCase& c, std::ostream* os) { *os << '"' << c.name << '"'; }

class Identifiers : public ::testing::TestWithParam<IdentCase> {};

TEST_P(Identifiers, BracketsWhenNeeded) {
    std::string out = "prefix:";
    const bool ok = TryBracketIdentifier(GetParam().name, out);
    if (GetParam().expected) {
        ASSERT_TRUE(ok) << GetParam().name;
        EXPECT_EQ(out, std::string("prefix:") + GetParam().expected);
    } else {
        EXPECT_FALSE(ok) << GetParam().name;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Names, Identifiers,
    ::testing::Values(
        IdentCase{"Products", "Products"},
        IdentCase{"Table2_1", "Table2_1"},
        IdentCase{"_x", "_x"},
        IdentCase{"__ID", "__ID"},
        IdentCase{"Order Details", "[Order Details]"},
        IdentCase{"Ordrar-Detaljer", "[Ordrar-Detaljer]"},
        IdentCase{"Some.Alias", "[Some.Alias]"},
        IdentCase{"%$##@_Alias", "[%$##@_Alias]"},
        IdentCase{"Tab>\"e@ll/a'2;*,", "[Tab>\"e@ll/a'2;*,]"},
        IdentCase{"Basic (Cable/Sheath)", "[Basic (Cable/Sheath)]"},
        IdentCase{" lead", "[ lead]"},
        IdentCase{"tab\there", "[tab\there]"},
        IdentCase{"1stQuarter", "[1stQuarter]"},
        IdentCase{"Q1", "Q1"},
        IdentCase{"Year", "[Year]"},
        IdentCase{"year", "[year]"},
        IdentCase{"YEAR", "[YEAR]"},
        IdentCase{"Years", "Years"},
        IdentCase{"Value", "[Value]"},
        IdentCase{"Select", "[Select]"},
        IdentCase{"AUTOINCREMENT", "[AUTOINCREMENT]"},
        IdentCase{"Bel\xC3\xB8" "b", "Bel\xC3\xB8" "b"},
        IdentCase{"Handl\xC3\xA4ggare", "Handl\xC3\xA4ggare"},
        IdentCase{"L\xC3\xA4nder", "L\xC3\xA4nder"},
        IdentCase{"\xED\x95\x84\xEB\x93\x9C", "\xED\x95\x84\xEB\x93\x9C"},
        IdentCase{"ID \xED\x95\x84\xEB\x93\x9C", "[ID \xED\x95\x84\xEB\x93\x9C]"},
        IdentCase{"\xD0\x97\xD0\xB0\xD0\xBA\xD0\xB0\xD0\xB7", "\xD0\x97\xD0\xB0\xD0\xBA\xD0\xB0\xD0\xB7"},
        IdentCase{"Cafe\xCC\x81", "Cafe\xCC\x81"},                  // combining acute
        IdentCase{"\xD9\xA3x", "[\xD9\xA3x]"},                      // Arabic-Indic digit first
        IdentCase{"x\xD9\xA3", "x\xD9\xA3"},
        IdentCase{"price\xE2\x82\xAC", "[price\xE2\x82\xAC]"},      // euro sign
        IdentCase{"bad\xFFutf8", "[bad\xFFutf8]"},
        IdentCase{"[Already Bracketed]", "[Already Bracketed]"},
        IdentCase{"[Table2].[col1]", "[Table2].[col1]"},
        IdentCase{"a]b", nullptr},
        IdentCase{"[open", "[[open]"},
        IdentCase{"", nullptr}));

TEST(ReservedWords, MatchWholeWordsWithoutCase) {
    EXPECT_TRUE(IsJetReservedWord("select"));
    EXPECT_TRUE(IsJetReservedWord("YesNo"));
    EXPECT_TRUE(IsJetReservedWord("add"));
    EXPECT_TRUE(IsJetReservedWord("yesno"));
    EXPECT_FALSE(IsJetReservedWord("Selection"));
    EXPECT_FALSE(IsJetReservedWord("Name"));
    EXPECT_FALSE(IsJetReservedWord(""));
    EXPECT_FALSE(IsJetReservedWord("SELECT "));
}

}  // namespace
}  // namespace vt
