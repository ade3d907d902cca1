// Rows that cannot give valid SQL, as a damaged or hostile file may hold
// them: each is error 3049 naming the query and what is wrong, never a
// crash or a silently wrong text.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "query_row_text.h"

namespace vt {
namespace {

using testing_rows::Design;

struct DamageCase {
    std::string name;
    QueryDesign design;
    std::string reason;  // part of the description
};

void PrintTo(const DamageCase& c, std::ostream* os) { *os << c.name; }

QueryDesign With(QueryDesign design, int attribute, std::vector<std::uint8_t> order,
                 std::string expression) {
    QueryRow& row = design.rows.emplace_back();
    row.attribute = attribute;
    row.order = std::move(order);
    row.expression = std::move(expression);
    return design;
}

// `rows` then `count` copies of `repeated`.
QueryDesign Many(std::vector<std::string> rows, const std::string& repeated, std::size_t count) {
    rows.insert(rows.end(), count, repeated);
    return Design("Many", 0, rows);
}

std::vector<DamageCase> Cases() {
    using namespace query_limits;
    const QueryDesign simple = Design("Q", 0, {"1:1", "5 T", "6 ||T.a"});
    std::string accented = "x", cut = "'x";
    for (int i = 0; i < 5000; ++i) accented += "\xC3\xA9";
    for (int i = 0; i < 39; ++i) cut += "\xC3\xA9";  // 79 bytes: the 80th starts a character
    return {
        {"MissingEndRow", Design("Q", 0, {"0", "1:1", "5 T"}, false), "end row is missing"},
        {"AbsurdOrderLength", With(simple, 6, std::vector<std::uint8_t>(511, 0xFF), "T.b"),
         "Order value of 511 bytes"},
        {"RepeatedOrder", With(With(Design("Q", 0, {"255"}, false), 0, {}, "a"), 0, {}, "b"),
         "two attribute 0 rows share one Order value"},
        {"HugeText", With(simple, 8, {1}, std::string(kMaxTextBytes + 1, 'x')),
         "WHERE row holds a text of 262145 bytes"},
        {"HugeDesign", Many({"5 T"}, "6 ||" + std::string(kMaxTextBytes, 'y'), 4),  // 1 byte over
         "its rows hold 1048577 bytes of text"},
        {"TooManyRows", Many({"5 T"}, "6 ||T.b", kMaxRows), "more than 4096"},
        {"TooManySources", Many({}, "5 T", kMaxSources + 1), "more than 1024 FROM sources"},
        {"TooManyJoins", Many({"5 T", "5 U"}, "7:1 T|U|c", kMaxJoins + 1), "more than 2048 joins"},
        {"TwoTypeRows", Design("Q", 0, {"1:1", "1:4"}), "2 type rows"},
        {"TwoStartRows", Design("Q", 0, {"0", "5 T"}), "2 attribute 0 rows"},
        {"CatalogueCrosstab", Design("Q", 16, {"5 T"}), "0 TRANSFORM values"},
        {"CatalogueUpdate", Design("Q", 48, {"6 |T.a|1"}), "names no table"},
        {"CatalogueAppend", Design("Q", 64, {"5 T"}), "target table is missing"},
        {"CatalogueMakeTable", Design("Q", 80, {"5 T"}), "target table is missing"},
        {"CatalogueDataDefinition", Design("Q", 96, {}), "stored SQL text is missing"},
        {"CataloguePassThrough", Design("Q", 112, {}), "stored SQL text is missing"},
        {"CatalogueUnion", Design("Q", 128, {}), "0 union parts"},
        {"DataDefinitionWithoutText", Design("Q", 96, {"1:7"}), "stored SQL text is missing"},
        {"UnknownParameterType", Design("Q", 0, {"2:-1 BadVal"}), "'BadVal' has the unknown type"},
        {"ParameterWithoutName", Design("Q", 0, {"2:4"}), "parameter has no name"},
        {"ParameterWithEmptyName", Design("Q", 0, {"2:4 \"\""}), "parameter has no name"},
        {"ParameterSegmentWithBracket", Design("Q", 0, {"2:4 a]b!c"}), "parameter name 'a]b' "},
        {"ParameterBadSegmentsAndBracket", Design("Q", 0, {"2:4 x]!!y"}), "name 'x]!!y' cannot"},
        {"TextParameterTooLong", Design("Q", 0, {"2:10 p|||256"}), "'p' has the text size 256"},
        {"TableNameWithBracket", Design("Q", 0, {"5 we]ird"}), "table name 'we]ird' cannot"},
        {"AliasWithBracket", Design("Q", 0, {"5 T", "6 x]||T.a"}), "column alias name 'x]'"},
        {"ColumnWithoutExpression", Design("Q", 0, {"5 T", "6 a"}), "column row has no expression"},
        {"SourceWithoutName", Design("Q", 0, {"5 |alias"}), "FROM source has no name"},
        {"DerivedTableWithoutAlias", Design("Q", 0, {"5 ||SELECT 1"}), "derived table has no"},
        {"TopWithoutValue", Design("Q", 0, {"3:16", "5 T"}), "TOP value '' is not a number"},
        {"TopNotANumber", Design("Q", 0, {"3:48 5; DROP", "5 T"}), "TOP value '5; DROP'"},
        {"RemoteTypeWithBracket", Design("Q", 0, {"4 x.mdb||dB]IV;", "5 T"}), "type 'dB]IV;'"},
        {"NameOf80BytesShownWhole", Design("Q", 0, {"5 T", "7:1 T|" + std::string(80, 'n') + "|c"}),
         "names '" + std::string(80, 'n') + "', which"},
        {"LongNameCutAtAWholeCharacter", Design("Q", 0, {"5 T", "7:1 T|" + accented + "|c"}),
         cut + "...', which is not among"},
        {"NameOfContinuationBytesCut",
         Design("Q", 0, {"5 T", "7:1 T|" + std::string(99, '\x80') + "|c"}), "names '...', which"},
        {"MakeTableWithoutTarget", Design("Q", 80, {"1:2", "5 T"}), "target table is missing"},
        {"AppendWithoutTarget", Design("Q", 64, {"1:3", "5 T", "6 |a|T.a"}), "target table is"},
        {"AppendWithSomeTargets", Design("Q", 64, {"1:3 U", "5 T", "6 |a|T.a", "6 ||T.b"}),
         "some appended columns have no target column"},
        {"UpdateWithoutSet", Design("Q", 48, {"1:4", "5 T"}), "sets no column"},
        {"UpdateItemWithoutTarget", Design("Q", 48, {"1:4", "5 T", "6 ||1"}), "has no target"},
        {"CrosstabWithoutPivot", Design("Q", 16, {"1:6", "5 T", "6 ||Count(*)", "6:2 ||T.a"}),
         "0 PIVOT columns"},
        {"CrosstabWithTwoValues",
         Design("Q", 16, {"1:6", "5 T", "6 ||Count(*)", "6 ||Sum(T.b)", "6:1 ||T.a"}), "2 TRANS"},
        {"UnionWithOneBranch", Design("Q", 128, {"1:9", "5 |X7YZ_____1|S"}), "1 union parts"},
        {"UnionFromZero", Design("Q", 128, {"5 |X7YZ_____0|SELECT 0", "5 |X7YZ_____2|SELECT 2"}),
         "not numbered 1 to 2"},
        {"UnionBranchWithoutNumber", Design("Q", 128, {"5 |X7YZ_____|SELECT", "5 |X7YZ_____2|S"}),
         "part 'X7YZ_____' has no number"},
        {"UnionBranchNumberNotDigits", Design("Q", 128, {"5 |X7YZ_____1a|S", "5 |X7YZ_____2|S"}),
         "part 'X7YZ_____1a' has no number"},
        {"UnionWithOtherSource", Design("Q", 128, {"5 T", "5 |X7YZ_____2|S"}), "not one of its"},
        {"UnionBranchWithoutText", Design("Q", 128, {"5 |X7YZ_____1", "5 |X7YZ_____2|SELECT 3"}),
         "FROM source row has no expression"},
        {"JoinPairWithTwoTypes", Design("Q", 0, {"5 A", "5 B", "7:1 A|B|c", "7:3 A|B|d"}),
         "joins between 'A' and 'B' are inconsistent"},
        {"JoinOfATableWithItself", Design("Q", 0, {"5 A", "7:1 A|A|c"}), "'A' and 'A' are"},
        {"UnknownJoinType", Design("Q", 0, {"5 A", "5 B", "7:4 A|B|c"}), "unknown join type 4"},
        {"JoinToAnUndeclaredTable", Design("Q", 0, {"5 A", "5 B", "7:1 Bogus|B|c"}),
         "'Bogus', which is not among its FROM sources"},
        {"JoinWithoutBothNames", Design("Q", 0, {"5 A", "5 B", "7:1 A||c"}), "does not name both"},
        {"JoinFromAnEmptyName", Design("Q", 0, {"5 A", "5 B", "7:1 \"\"|B|c"}), "not name both"},
        {"JoinWithoutCondition", Design("Q", 0, {"5 A", "5 B", "7:1 A|B"}), "join row has no expr"},
    };
}

class DamagedRows : public ::testing::TestWithParam<DamageCase> {};

TEST_P(DamagedRows, GiveError3049NamingTheQuery) {
    const DamageCase& c = GetParam();
    try {
        ADD_FAILURE() << "expected an error, got: " << BuildQuerySql(c.design, QueryDialect::Jet);
    } catch (const ErrorException& e) {
        EXPECT_EQ(e.number(), kQueryDesignError);
        EXPECT_EQ(e.record().source, kEngineSource);
        const std::string& text = e.record().description;
        EXPECT_NE(text.find("query '" + c.design.name + "'"), std::string::npos) << text;
        EXPECT_NE(text.find(c.reason), std::string::npos) << text;
        EXPECT_LT(text.size(), 300u) << "long names are cut short";
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, DamagedRows, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return info.param.name; });

// A join chain as long as the limits allow renders, nested to the right.
TEST(QuerySqlLimits, LongestJoinChainRenders) {
    const std::size_t tables = query_limits::kMaxSources;
    std::vector<std::string> rows;
    for (std::size_t i = 1; i <= tables; ++i) rows.push_back("5 T" + std::to_string(i));
    for (std::size_t i = tables - 1; i >= 1; --i) {
        rows.push_back("7:1 T" + std::to_string(i) + "|T" + std::to_string(i + 1) + "|c");
    }
    const std::string sql = BuildQuerySql(Design("Chain", 0, rows), QueryDialect::Jet);
    EXPECT_EQ(sql.rfind("SELECT *\r\nFROM T1 INNER JOIN (T2 INNER JOIN (T3 ", 0), 0u);
    EXPECT_EQ(std::count(sql.begin(), sql.end(), '('), static_cast<long>(tables - 2));
    EXPECT_EQ(sql.substr(sql.size() - 9), ") ON c;\r\n");
}

// Random rows: the builder either returns text or throws its own error.
TEST(QuerySqlLimits, RandomRowsNeverEscapeAsOtherFailures) {
    std::mt19937 rng(20261206);
    const char* const names[] = {"T", "U", "Table1", "a b", "x]", "[q]", "Year", "", "F!G"};
    const char* const texts[] = {"a=1", "SELECT 1", "", "T.a", "\r\n", "X7YZ_____1"};
    const int kinds[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 255, 300, -1};
    int built = 0, refused = 0;
    for (int iteration = 0; iteration < 3000; ++iteration) {
        QueryDesign design{"Random " + std::to_string(iteration), 0,
                           static_cast<std::int32_t>(rng() % 256), {}};
        for (int i = static_cast<int>(rng() % 12); i > 0; --i) {
            QueryRow& row = design.rows.emplace_back();
            row.attribute = kinds[rng() % 16];
            row.order.resize(rng() % 5);
            for (auto& b : row.order) b = static_cast<std::uint8_t>(rng() % 3);
            row.flag = static_cast<std::int32_t>(rng() % 12) - 1;
            if (rng() % 2) row.name1 = names[rng() % 9];
            if (rng() % 2) row.name2 = rng() % 3 ? names[rng() % 9] : "X7YZ_____2";
            if (rng() % 2) row.expression = texts[rng() % 6];
        }
        if (rng() % 4) design = With(std::move(design), 255, {0xFF, 0xFF}, "");
        try {
            (void)BuildQuerySql(design, rng() % 2 ? QueryDialect::Jet : QueryDialect::Ace);
            ++built;
        } catch (const ErrorException& e) {
            EXPECT_EQ(e.number(), kQueryDesignError);
            EXPECT_NE(std::string(e.what()).find(design.name), std::string::npos);
            ++refused;
        }
    }
    EXPECT_GT(built, 100);  // both outcomes occur: the loop exercised real building
    EXPECT_GT(refused, 100);
}

}  // namespace
}  // namespace vt
