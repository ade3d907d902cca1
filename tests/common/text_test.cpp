#include "common/text.h"

#include <gtest/gtest.h>

namespace vt {
namespace {

int Sign(int value) { return (value > 0) - (value < 0); }

// The order Jet lists names in: folded case first, then code points; the
// ASCII shortcut must agree with the general road.
TEST(Names, CompareFoldedThenByCodePoint) {
    struct Case {
        const char* a;
        const char* b;
        int order;
    };
    const Case cases[] = {
        {"orders", "Orders", 1},       // equal folded: 'O' < 'o'
        {"Orders", "orders", -1},
        {"Orders", "Orders", 0},
        {"Order", "Orders", -1},       // a prefix first
        {"_x", "a", -1},               // '_' (0x5F) before 'a', though after 'A'
        {"Zebra", "apple", 1},         // folded, not bytewise
        {"Ärger", "arger", 1},         // non-ASCII after ASCII
        {"ärger", "Ärger", 1},         // equal folded: 'Ä' < 'ä'
        {"Äb", "äA", 1},               // equal folded 'ä', then 'b' after 'a'
        {"STRASSE", "straße", -1},     // simple folding keeps ß as ß
        {"Ωmega", "ωmega", -1},
        {"日本", "Ab", 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Sign(CompareNames(c.a, c.b)), c.order) << c.a << " / " << c.b;
        EXPECT_EQ(Sign(CompareNames(c.b, c.a)), -c.order) << c.b << " / " << c.a;
    }
}

TEST(Names, SameName) {
    struct Case {
        const char* a;
        const char* b;
        bool same;
    };
    const Case cases[] = {
        {"OrderID", "orderid", true},  {"OrderID", "OrderIE", false}, {"Order", "Orders", false},
        {"", "", true},                {"xÄrger", "XäRGER", true},    {"Ärger", "Arger", false},
        {"\u212A", "k", true},  // the Kelvin sign folds to a letter one byte long
        {"Straße", "STRASSE", false},
        {"a@[", "A`{", false},  // one bit apart, as cases are, but not letters
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SameName(c.a, c.b), c.same) << c.a << " / " << c.b;
        EXPECT_EQ(SameName(c.b, c.a), c.same) << c.b << " / " << c.a;
    }
}

TEST(Names, FoldCase) {
    EXPECT_EQ(FoldCase("Order_ID 2"), "order_id 2");
    EXPECT_EQ(FoldCase("ÄÖÜ Ωmega"), "äöü ωmega");
    EXPECT_EQ(FoldCase("ǅ"), "ǆ");  // titlecase folds as well
    // Simple folding: one character for one, where full folding gives more.
    EXPECT_EQ(FoldCase("Σς ẞß ᾈ"), "σσ ßß ᾀ");
    EXPECT_EQ(FoldCase("İ"), "İ");  // its only one-character folding is Turkish
}

}  // namespace
}  // namespace vt
