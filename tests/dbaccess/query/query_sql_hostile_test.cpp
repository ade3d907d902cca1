// Rows that cannot give valid SQL: each is a clear error naming the query,
// never a crash or a silently wrong text.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "query_test_rows.h"

namespace vt {
namespace {

using testing_rows::Design;
using testing_rows::MakeRow;
using testing_rows::OrderBytes;

struct HostileCase {
    std::string label;
    QueryDesign design;
    std::string reason;  // part of the description
};

void PrintTo(const HostileCase& c, std::ostream* os) { *os << c.label; }

class HostileRows : public ::testing::TestWithParam<HostileCase> {};

TEST_P(HostileRows, GiveAnErrorNamingTheQuery) {
    const HostileCase& c = GetParam();
    try {
        const std::string sql = BuildQuerySql(c.design, QueryDialect::Jet);
        ADD_FAILURE() << "expected an error, got: " << sql;
    } catch (const ErrorException& e) {
        EXPECT_EQ(e.number(), kQueryDesignError);
        EXPECT_EQ(e.record().source, kEngineSource);
        const std::string& text = e.record().description;
        EXPECT_NE(text.find("query '" + c.design.name + "'"), std::string::npos) << text;
        EXPECT_NE(text.find(c.reason), std::string::npos) << text;
    }
}

QueryDesign WithRow(QueryDesign design, QueryRow row) {
    row.objectId = design.id;
    design.rows.push_back(std::move(row));
    return design;
}

QueryDesign Simple(const char* name) {
    return Design(name, 0,
                  {{1, 1, nullptr, nullptr, nullptr, 1},
                   {5, 1, "T", nullptr, nullptr, 0},
                   {6, 1, nullptr, nullptr, "T.a", 0}});
}

QueryRow RawRow(int attribute, std::vector<std::uint8_t> order, std::string expression) {
    QueryRow row;
    row.attribute = attribute;
    row.order = std::move(order);
    row.expression = std::move(expression);
    return row;
}

QueryDesign HugeExpression() {
    return WithRow(Simple("Huge"),
                   RawRow(8, OrderBytes(1), std::string(query_limits::kMaxTextBytes + 1, 'x')));
}

QueryDesign ManyLargeTexts() {
    QueryDesign design = Simple("Large");
    for (std::uint32_t i = 2; i < 7; ++i) {
        design = WithRow(std::move(design),
                         RawRow(6, OrderBytes(i), std::string(query_limits::kMaxTextBytes, 'y')));
    }
    return design;
}

QueryDesign TooManyRows() {
    QueryDesign design = Simple("Many");
    for (std::uint32_t i = 2; i < query_limits::kMaxRows + 2; ++i) {
        design = WithRow(std::move(design), RawRow(6, OrderBytes(i), "T.b"));
    }
    return design;
}

QueryDesign TooManySources() {
    QueryDesign design = Simple("Sources");
    for (std::uint32_t i = 2; i < query_limits::kMaxSources + 2; ++i) {
        QueryRow row;
        row.attribute = 5;
        row.order = OrderBytes(i);
        row.name1 = "T" + std::to_string(i);
        design = WithRow(std::move(design), row);
    }
    return design;
}

QueryDesign NoEndRow() {
    return Design("No End", 0,
                  {{0, 1, nullptr, nullptr, nullptr, 0},
                   {1, 1, nullptr, nullptr, nullptr, 1},
                   {5, 1, "T", nullptr, nullptr, 0}},
                  false);
}

QueryDesign LongOrder() {
    return WithRow(Simple("Long Order"),
                   RawRow(6, std::vector<std::uint8_t>(query_limits::kMaxOrderBytes + 1, 0xFF),
                          "T.b"));
}

QueryDesign RepeatedOrder() {
    return WithRow(Simple("Repeated Order"), RawRow(6, OrderBytes(1), "T.b"));
}

QueryDesign RepeatedEmptyOrder() {
    QueryDesign design = Simple("Empty Order");
    design = WithRow(std::move(design), RawRow(11, {}, "T.a"));
    return WithRow(std::move(design), RawRow(11, {}, "T.b"));
}

INSTANTIATE_TEST_SUITE_P(
    Queries, HostileRows,
    ::testing::Values(
        HostileCase{"MissingEndRow", NoEndRow(), "end row is missing"},
        HostileCase{"AbsurdOrderLength", LongOrder(), "Order value of 511 bytes"},
        HostileCase{"RepeatedOrder", RepeatedOrder(), "share one Order value"},
        HostileCase{"RepeatedEmptyOrder", RepeatedEmptyOrder(), "share one Order value"},
        HostileCase{"HugeExpression", HugeExpression(), "holds a text of 262145 bytes"},
        HostileCase{"HugeDesign", ManyLargeTexts(), "bytes of text"},
        HostileCase{"TooManyRows", TooManyRows(), "more than 4096"},
        HostileCase{"TooManySources", TooManySources(), "FROM sources"},
        HostileCase{"TwoTypeRows",
                    Design("Two Types", 0,
                           {{1, 1, nullptr, nullptr, nullptr, 1},
                            {1, 2, nullptr, nullptr, nullptr, 4}}),
                    "2 type rows"},
        HostileCase{"TwoWhereRows",
                    Design("Two Wheres", 0,
                           {{5, 1, "T", nullptr, nullptr, 0},
                            {8, 1, nullptr, nullptr, "a=1", 0},
                            {8, 2, nullptr, nullptr, "a=2", 0}}),
                    "2 WHERE rows"},
        HostileCase{"UnknownParameterType",
                    Design("Params", 0,
                           {{2, 1, "BadVal", nullptr, nullptr, -1},
                            {5, 1, "T", nullptr, nullptr, 0}}),
                    "'BadVal' has the unknown type code -1"},
        HostileCase{"ParameterWithoutName",
                    Design("Params", 0,
                           {{2, 1, nullptr, nullptr, nullptr, 4},
                            {5, 1, "T", nullptr, nullptr, 0}}),
                    "parameter has no name"},
        HostileCase{"ParameterNameWithClosingBracket",
                    Design("Params", 0,
                           {{2, 1, "a]b!c", nullptr, nullptr, 4},
                            {5, 1, "T", nullptr, nullptr, 0}}),
                    "'a]b'"},
        HostileCase{"TableNameWithClosingBracket",
                    Design("Bracket", 0, {{5, 1, "we]ird", nullptr, nullptr, 0}}),
                    "'we]ird' cannot be written"},
        HostileCase{"AliasWithClosingBracket",
                    Design("Alias", 0,
                           {{5, 1, "T", nullptr, nullptr, 0},
                            {6, 1, "x]", nullptr, "T.a", 0}}),
                    "column alias name 'x]'"},
        HostileCase{"ColumnWithoutExpression",
                    Design("Column", 0,
                           {{5, 1, "T", nullptr, nullptr, 0},
                            {6, 1, "a", nullptr, nullptr, 0}}),
                    "column row has no expression"},
        HostileCase{"SourceWithoutName",
                    Design("Source", 0, {{5, 1, nullptr, "alias", nullptr, 0}}),
                    "FROM source has no name"},
        HostileCase{"DerivedTableWithoutAlias",
                    Design("Derived", 0, {{5, 1, nullptr, nullptr, "SELECT 1", 0}}),
                    "derived table has no alias"},
        HostileCase{"TopWithoutValue",
                    Design("Top", 0,
                           {{3, 1, nullptr, nullptr, nullptr, 0x10},
                            {5, 1, "T", nullptr, nullptr, 0}}),
                    "TOP value '' is not a number"},
        HostileCase{"TopNotANumber",
                    Design("Top", 0,
                           {{3, 1, "5; DROP", nullptr, nullptr, 0x30},
                            {5, 1, "T", nullptr, nullptr, 0}}),
                    "TOP value '5; DROP'"},
        HostileCase{"MakeTableWithoutTarget",
                    Design("Make", 80,
                           {{1, 1, nullptr, nullptr, nullptr, 2},
                            {5, 1, "T", nullptr, nullptr, 0}}),
                    "target table is missing"},
        HostileCase{"AppendWithoutTarget",
                    Design("Append", 64,
                           {{1, 1, nullptr, nullptr, nullptr, 3},
                            {5, 1, "T", nullptr, nullptr, 0},
                            {6, 1, nullptr, "a", "T.a", 0}}),
                    "target table is missing"},
        HostileCase{"AppendWithPartialTargets",
                    Design("Append", 64,
                           {{1, 1, "U", nullptr, nullptr, 3},
                            {5, 1, "T", nullptr, nullptr, 0},
                            {6, 1, nullptr, "a", "T.a", 0},
                            {6, 2, nullptr, nullptr, "T.b", 0}}),
                    "no target column"},
        HostileCase{"UpdateWithoutSet",
                    Design("Update", 48,
                           {{1, 1, nullptr, nullptr, nullptr, 4},
                            {5, 1, "T", nullptr, nullptr, 0}}),
                    "sets no column"},
        HostileCase{"UpdateWithoutTable",
                    Design("Update", 48,
                           {{1, 1, nullptr, nullptr, nullptr, 4},
                            {6, 1, nullptr, "T.a", "1", 0}}),
                    "names no table"},
        HostileCase{"UpdateItemWithoutTarget",
                    Design("Update", 48,
                           {{1, 1, nullptr, nullptr, nullptr, 4},
                            {5, 1, "T", nullptr, nullptr, 0},
                            {6, 1, nullptr, nullptr, "1", 0}}),
                    "updated column has no target"},
        HostileCase{"CrosstabWithoutPivot",
                    Design("Crosstab", 16,
                           {{1, 1, nullptr, nullptr, nullptr, 6},
                            {5, 1, "T", nullptr, nullptr, 0},
                            {6, 1, nullptr, nullptr, "Count(*)", 0},
                            {6, 2, nullptr, nullptr, "T.a", 2}}),
                    "0 PIVOT columns"},
        HostileCase{"CrosstabWithTwoValues",
                    Design("Crosstab", 16,
                           {{1, 1, nullptr, nullptr, nullptr, 6},
                            {5, 1, "T", nullptr, nullptr, 0},
                            {6, 1, nullptr, nullptr, "Count(*)", 0},
                            {6, 2, nullptr, nullptr, "Sum(T.b)", 0},
                            {6, 3, nullptr, nullptr, "T.a", 1}}),
                    "2 TRANSFORM values"},
        HostileCase{"UnionWithOnePart",
                    Design("Union", 128,
                           {{1, 1, nullptr, nullptr, nullptr, 9},
                            {5, 1, nullptr, "X7YZ_____1", "SELECT 1", 0}}),
                    "1 union parts"},
        HostileCase{"UnionWithGap",
                    Design("Union", 128,
                           {{1, 1, nullptr, nullptr, nullptr, 9},
                            {5, 1, nullptr, "X7YZ_____1", "SELECT 1", 0},
                            {5, 2, nullptr, "X7YZ_____3", "SELECT 3", 0}}),
                    "not numbered 1 to 2"},
        HostileCase{"UnionWithStrangeSource",
                    Design("Union", 128,
                           {{1, 1, nullptr, nullptr, nullptr, 9},
                            {5, 1, "Orders", nullptr, nullptr, 0},
                            {5, 2, nullptr, "X7YZ_____2", "SELECT 3", 0}}),
                    "not one of its parts"},
        HostileCase{"UnionPartWithoutText",
                    Design("Union", 128,
                           {{1, 1, nullptr, nullptr, nullptr, 9},
                            {5, 1, nullptr, "X7YZ_____1", nullptr, 0},
                            {5, 2, nullptr, "X7YZ_____2", "SELECT 3", 0}}),
                    "has no expression"},
        HostileCase{"DataDefinitionWithoutText",
                    Design("DDL", 96, {{1, 1, nullptr, nullptr, nullptr, 7}}),
                    "stored SQL text is missing"},
        HostileCase{"PassThroughWithoutTypeRow", Design("PT", 112, {}),
                    "stored SQL text is missing"},
        HostileCase{"RemoteTypeWithClosingBracket",
                    Design("Remote", 0,
                           {{4, 1, "x.mdb", nullptr, "dBASE]IV;", 0},
                            {5, 1, "T", nullptr, nullptr, 0}}),
                    "database type 'dBASE]IV;'"}),
    [](const ::testing::TestParamInfo<HostileCase>& info) { return info.param.label; });

// A long stored name is cut short in the error text, at a whole character.
TEST(HostileRowsLimits, LongNamesAreCutInTheMessage) {
    std::string name = "x";
    for (int i = 0; i < 5000; ++i) name += "\xC3\xA9";  // e-acute
    QueryDesign design = Simple("Long Name");
    QueryRow join;
    join.attribute = 7;
    join.order = OrderBytes(1);
    join.name1 = "T";
    join.name2 = name;
    join.expression = "T.a = x.a";
    join.flag = 1;
    design = WithRow(std::move(design), join);
    try {
        (void)BuildQuerySql(design, QueryDialect::Jet);
        ADD_FAILURE() << "expected an error";
    } catch (const ErrorException& e) {
        const std::string text = e.record().description;
        EXPECT_LT(text.size(), 300u) << text;
        EXPECT_NE(text.find("'x\xC3\xA9"), std::string::npos) << text;
        EXPECT_NE(text.find("\xC3\xA9...'"), std::string::npos) << text;
        EXPECT_NE(text.find("query 'Long Name'"), std::string::npos) << text;
    }
}

// A join chain as long as the limits allow renders without trouble.
TEST(HostileRowsLimits, LongestJoinChainRenders) {
    QueryDesign design = Design("Chain", 0, {});
    const std::uint32_t tables = query_limits::kMaxSources;
    for (std::uint32_t i = 1; i <= tables; ++i) {
        QueryRow row;
        row.attribute = 5;
        row.order = OrderBytes(i);
        row.name1 = "T" + std::to_string(i);
        design = WithRow(std::move(design), row);
    }
    for (std::uint32_t i = 1; i < tables; ++i) {
        QueryRow row;
        row.attribute = 7;
        row.order = OrderBytes(i);
        row.name1 = "T" + std::to_string(tables - i);
        row.name2 = "T" + std::to_string(tables - i + 1);
        row.expression = "c";
        row.flag = 1;
        design = WithRow(std::move(design), row);
    }
    const std::string sql = BuildQuerySql(design, QueryDialect::Jet);
    EXPECT_EQ(sql.rfind("SELECT *\r\nFROM T1 INNER JOIN (T2 INNER JOIN (T3 ", 0), 0u);
    EXPECT_EQ(std::count(sql.begin(), sql.end(), '('), static_cast<long>(tables - 2));
    EXPECT_EQ(sql.substr(sql.size() - 9), ") ON c;\r\n");
}

// Random rows: the builder either returns text or throws its own error.
TEST(HostileRowsLimits, RandomRowsNeverEscapeAsOtherFailures) {
    std::mt19937 rng(20261206);
    const char* const names[] = {"T", "U", "Table1", "a b", "x]", "[q]", "Year", "", "F!G"};
    const char* const texts[] = {"a=1", "SELECT 1", "", "T.a", "\r\n", "X7YZ_____1"};
    int built = 0;
    int refused = 0;
    for (int iteration = 0; iteration < 3000; ++iteration) {
        QueryDesign design;
        design.name = "Random " + std::to_string(iteration);
        design.flags = static_cast<std::int32_t>(rng() % 256);
        const int count = static_cast<int>(rng() % 12);
        for (int i = 0; i < count; ++i) {
            QueryRow row;
            const int kinds[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 255, 300, -1};
            row.attribute = kinds[rng() % 16];
            row.order.resize(rng() % 5);
            for (auto& b : row.order) b = static_cast<std::uint8_t>(rng() % 3);
            row.flag = static_cast<std::int32_t>(rng() % 12) - 1;
            if (rng() % 2) row.name1 = names[rng() % 9];
            if (rng() % 2) row.name2 = rng() % 3 ? names[rng() % 9] : "X7YZ_____2";
            if (rng() % 2) row.expression = texts[rng() % 6];
            design.rows.push_back(row);
        }
        if (rng() % 4) {
            QueryRow end;
            end.attribute = 255;
            end.order = {0xFF, 0xFF};
            design.rows.push_back(end);
        }
        try {
            (void)BuildQuerySql(design, rng() % 2 ? QueryDialect::Jet : QueryDialect::Ace);
            ++built;
        } catch (const ErrorException& e) {
            EXPECT_EQ(e.number(), kQueryDesignError);
            EXPECT_NE(std::string(e.what()).find(design.name), std::string::npos);
            ++refused;
        }
    }
    // Both outcomes occur, so the loop exercised real building.
    EXPECT_GT(built, 100);
    EXPECT_GT(refused, 100);
}

}  // namespace
}  // namespace vt
