// FROM lists with joins: nesting, extra conditions, aliases as keys.

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "query_test_rows.h"

namespace vt {
namespace {

using testing_rows::BuildOrReport;
using testing_rows::CaseName;
using testing_rows::Design;
using testing_rows::MakeRow;
using testing_rows::SqlCase;

// Table1..Table10, then one join row per (from, to, type); row i joins on
// field f<3*i>.
QueryDesign TenTables(const std::vector<std::tuple<int, int, int>>& joins) {
    QueryDesign design = Design("TestQuery", 0, {{1, 1, nullptr, nullptr, nullptr, 1}});
    std::vector<std::string> texts;
    texts.reserve(joins.size() * 3 + 10);
    for (int t = 1; t <= 10; ++t) {
        texts.push_back("Table" + std::to_string(t));
        design.rows.push_back(MakeRow({5, static_cast<std::uint32_t>(t), texts.back().c_str(),
                                       nullptr, nullptr, 0},
                                      design.id));
    }
    for (std::size_t i = 0; i < joins.size(); ++i) {
        const auto [from, to, type] = joins[i];
        const std::string f = ".f" + std::to_string(3 * i);
        const std::string left = "Table" + std::to_string(from);
        const std::string right = "Table" + std::to_string(to);
        const std::string expr = left + f + " = " + right + f;
        design.rows.push_back(MakeRow({7, static_cast<std::uint32_t>(i + 1), left.c_str(),
                                       right.c_str(), expr.c_str(), type},
                                      design.id));
    }
    return design;
}

std::string SelectFrom(const std::string& from) {
    return "SELECT *\r\nFROM " + from + ";\r\n";
}

const char* const kUnjoined5To10 = "Table5, Table6, Table7, Table8, Table9, Table10, ";

class Joins : public ::testing::TestWithParam<SqlCase> {};

TEST_P(Joins, NestsAsAccessDoes) {
    EXPECT_EQ(BuildOrReport(GetParam().design, GetParam().dialect), GetParam().expected);
}

QueryDesign AliasedSources(bool withLeftJoin) {
    QueryDesign design =
        Design("TestQuery", 0,
               {{1, 1, nullptr, nullptr, nullptr, 1},
                {5, 1, "Table1", nullptr, nullptr, 0},
                {5, 2, "Table2", "Another Table", nullptr, 0},
                {5, 3, "val", "Table3Val", "Select val from Table3", 0},
                {6, 1, nullptr, nullptr, "Table1.id", 0},
                {7, 1, "Table1", "Another Table", "(Table1.id = [Another Table].id)", 1}});
    if (withLeftJoin) {
        design.rows.push_back(
            MakeRow({7, 2, "Table1", "Table3Val", "(Table1.id = Table3Val.id)", 2}, design.id));
    }
    return design;
}

INSTANTIATE_TEST_SUITE_P(
    Queries, Joins,
    ::testing::Values(
        SqlCase{"ChainToTheLeft", TenTables({{1, 2, 1}, {2, 3, 1}, {3, 4, 1}}),
                SelectFrom(std::string(kUnjoined5To10) +
                           "((Table1 INNER JOIN Table2 ON Table1.f0 = Table2.f0) INNER JOIN "
                           "Table3 ON Table2.f3 = Table3.f3) INNER JOIN Table4 ON Table3.f6 = "
                           "Table4.f6")},
        SqlCase{"ChainToTheRight", TenTables({{3, 4, 1}, {2, 3, 1}, {1, 2, 1}}),
                SelectFrom(std::string(kUnjoined5To10) +
                           "Table1 INNER JOIN (Table2 INNER JOIN (Table3 INNER JOIN Table4 ON "
                           "Table3.f0 = Table4.f0) ON Table2.f3 = Table3.f3) ON Table1.f6 = "
                           "Table2.f6")},
        SqlCase{"StarOfMixedTypes", TenTables({{1, 2, 1}, {1, 3, 2}, {1, 4, 3}}),
                SelectFrom(std::string(kUnjoined5To10) +
                           "((Table1 INNER JOIN Table2 ON Table1.f0 = Table2.f0) LEFT JOIN "
                           "Table3 ON Table1.f3 = Table3.f3) RIGHT JOIN Table4 ON Table1.f6 = "
                           "Table4.f6")},
        SqlCase{"TwoJoinsJoined", TenTables({{1, 2, 1}, {3, 4, 1}, {2, 3, 1}}),
                SelectFrom(std::string(kUnjoined5To10) +
                           "(Table1 INNER JOIN Table2 ON Table1.f0 = Table2.f0) INNER JOIN "
                           "(Table3 INNER JOIN Table4 ON Table3.f3 = Table4.f3) ON Table2.f6 = "
                           "Table3.f6")},
        SqlCase{"SeparateJoinsStayApart", TenTables({{1, 2, 1}, {3, 4, 2}}),
                SelectFrom(std::string(kUnjoined5To10) +
                           "Table1 INNER JOIN Table2 ON Table1.f0 = Table2.f0, Table3 LEFT JOIN "
                           "Table4 ON Table3.f3 = Table4.f3")},
        SqlCase{"ExtraConditionsInReverseRowOrder",
                TenTables({{1, 2, 1}, {1, 2, 1}, {2, 1, 1}}),
                SelectFrom("Table3, Table4, Table5, Table6, Table7, Table8, Table9, Table10, "
                           "Table1 INNER JOIN Table2 ON (Table2.f6 = Table1.f6) AND (Table1.f3 = "
                           "Table2.f3) AND (Table1.f0 = Table2.f0)")},
        SqlCase{"AliasAsJoinKey", AliasedSources(false),
                "SELECT Table1.id\r\nFROM [Select val from Table3].val AS Table3Val, Table1 "
                "INNER JOIN Table2 AS [Another Table] ON (Table1.id = [Another Table].id);\r\n"},
        SqlCase{"JoinOntoAnExistingJoin", AliasedSources(true),
                "SELECT Table1.id\r\nFROM (Table1 INNER JOIN Table2 AS [Another Table] ON "
                "(Table1.id = [Another Table].id)) LEFT JOIN [Select val from Table3].val AS "
                "Table3Val ON (Table1.id = Table3Val.id);\r\n"},
        SqlCase{"KeysCompareWithoutCase",
                Design("q", 0,
                       {{5, 1, "Kunder", nullptr, nullptr, 0},
                        {5, 2, "\xC3\x84renden", nullptr, nullptr, 0},
                        {7, 1, "KUNDER", "\xC3\xA4RENDEN", "Kunder.ID = \xC3\x84renden.Kund", 2}}),
                "SELECT *\r\nFROM Kunder LEFT JOIN \xC3\x84renden ON Kunder.ID = "
                "\xC3\x84renden.Kund;\r\n"},
        SqlCase{"NestedRightSide",
                Design("~sq_cOrdrar-subRedigeraFaktura~sq_cProdukt", 3,
                       {{5, 1, "Produkter", nullptr, nullptr, 0},
                        {5, 2, "Prislistor-Produkter", nullptr, nullptr, 0},
                        {5, 3, "Kunder", nullptr, nullptr, 0},
                        {5, 4, "Prislistor", nullptr, nullptr, 0},
                        {6, 1, nullptr, nullptr, "[Prislistor-Produkter].Produkt", 0},
                        {7, 1, "Kunder", "Prislistor", "Kunder.Prislista = Prislistor.Listnamn",
                         1},
                        {7, 2, "Prislistor-Produkter", "Prislistor",
                         "[Prislistor-Produkter].Prislista = Prislistor.Listnamn", 1},
                        {7, 3, "Produkter", "Prislistor-Produkter",
                         "Produkter.Namn = [Prislistor-Produkter].Produkt", 1},
                        {8, 1, nullptr, nullptr,
                         "(((Kunder.Namn)=[Forms]![RedigeraFakturerade]![cboF\xC3\xB6retag]))", 0},
                        {11, 1, nullptr, nullptr, "Produkter.Sorteringsordning", 0}}),
                "SELECT [Prislistor-Produkter].Produkt\r\n"
                "FROM Produkter INNER JOIN ([Prislistor-Produkter] INNER JOIN (Kunder INNER JOIN "
                "Prislistor ON Kunder.Prislista = Prislistor.Listnamn) ON "
                "[Prislistor-Produkter].Prislista = Prislistor.Listnamn) ON Produkter.Namn = "
                "[Prislistor-Produkter].Produkt\r\n"
                "WHERE (((Kunder.Namn)=[Forms]![RedigeraFakturerade]![cboF\xC3\xB6retag]))\r\n"
                "ORDER BY Produkter.Sorteringsordning;\r\n"},
        SqlCase{"InvoicesSixTables",
                Design("Invoices", 0,
                       {{1, 1, nullptr, nullptr, nullptr, 1},
                        {3, 1, nullptr, nullptr, nullptr, 8},
                        {5, 1, "Shippers", nullptr, nullptr, 0},
                        {5, 2, "Products", nullptr, nullptr, 0},
                        {5, 3, "Employees", nullptr, nullptr, 0},
                        {5, 4, "Customers", nullptr, nullptr, 0},
                        {5, 5, "Orders", nullptr, nullptr, 0},
                        {5, 6, "Order Details", nullptr, nullptr, 0},
                        {6, 1, nullptr, nullptr, "Orders.ShipName", 0},
                        {6, 2, "Salesperson", nullptr,
                         "[FirstName] & \" \" & [LastName]", 0},
                        {6, 3, nullptr, nullptr, "Shippers.CompanyName", 0},
                        {7, 1, "Customers", "Orders", "Customers.CustomerID = Orders.CustomerID",
                         1},
                        {7, 2, "Employees", "Orders", "Employees.EmployeeID = Orders.EmployeeID",
                         1},
                        {7, 3, "Orders", "Order Details",
                         "Orders.OrderID = [Order Details].OrderID", 1},
                        {7, 4, "Products", "Order Details",
                         "Products.ProductID = [Order Details].ProductID", 1},
                        {7, 5, "Shippers", "Orders", "Shippers.ShipperID = Orders.ShipVia", 1}}),
                "SELECT DISTINCTROW Orders.ShipName, [FirstName] & \" \" & [LastName] AS "
                "Salesperson, Shippers.CompanyName\r\n"
                "FROM Shippers INNER JOIN (Products INNER JOIN ((Employees INNER JOIN (Customers "
                "INNER JOIN Orders ON Customers.CustomerID = Orders.CustomerID) ON "
                "Employees.EmployeeID = Orders.EmployeeID) INNER JOIN [Order Details] ON "
                "Orders.OrderID = [Order Details].OrderID) ON Products.ProductID = [Order "
                "Details].ProductID) ON Shippers.ShipperID = Orders.ShipVia;\r\n"},
        SqlCase{"DerivedTableJoinedInAceFile",
                Design("q", 0,
                       {{5, 1, "Orders", nullptr, nullptr, 0},
                        {5, 2, nullptr, "%$##@_Alias", "SELECT Max(ID) AS M FROM Log ", 0},
                        {7, 1, "Orders", "%$##@_Alias", "Orders.ID = [%$##@_Alias].M", 1}}),
                "SELECT *\r\nFROM Orders INNER JOIN (SELECT Max(ID) AS M FROM Log )  AS "
                "[%$##@_Alias] ON Orders.ID = [%$##@_Alias].M;\r\n",
                QueryDialect::Ace}),
    CaseName);

void ExpectDesignError(const QueryDesign& design, const std::string& reasonPart) {
    try {
        const std::string sql = BuildQuerySql(design, QueryDialect::Jet);
        ADD_FAILURE() << "expected an error, got: " << sql;
    } catch (const ErrorException& e) {
        EXPECT_EQ(e.number(), kQueryDesignError);
        EXPECT_EQ(e.record().source, kEngineSource);
        EXPECT_NE(e.record().description.find("'" + design.name + "'"), std::string::npos)
            << e.record().description;
        EXPECT_NE(e.record().description.find(reasonPart), std::string::npos)
            << e.record().description;
    }
}

TEST(JoinErrors, SamePairWithTwoTypesIsInconsistent) {
    ExpectDesignError(TenTables({{1, 2, 1}, {2, 3, 1}, {2, 3, 2}}), "inconsistent");
    ExpectDesignError(TenTables({{1, 2, 1}, {1, 2, 3}}), "inconsistent");
}

TEST(JoinErrors, JoinOfATableWithItselfIsInconsistent) {
    ExpectDesignError(TenTables({{1, 1, 1}}), "inconsistent");
}

TEST(JoinErrors, UnknownJoinType) {
    QueryDesign design = AliasedSources(true);
    design.rows.push_back(
        MakeRow({7, 3, "Table1", "Table3Val", "(Table1.id = Table3Val.id)", 5}, design.id));
    ExpectDesignError(design, "unknown join type 5");
}

TEST(JoinErrors, JoinNamingAnUndeclaredTable) {
    QueryDesign design = AliasedSources(true);
    design.rows.push_back(
        MakeRow({7, 3, "BogusTable", "Table3Val", "(Table1.id = Table3Val.id)", 1}, design.id));
    ExpectDesignError(design, "'BogusTable', which is not among its FROM sources");
}

TEST(JoinErrors, JoinWithoutBothNames) {
    QueryDesign design = AliasedSources(false);
    design.rows.push_back(MakeRow({7, 2, "Table1", nullptr, "x = y", 1}, design.id));
    ExpectDesignError(design, "does not name both");
}

TEST(JoinErrors, JoinWithoutCondition) {
    QueryDesign design = AliasedSources(false);
    design.rows.push_back(MakeRow({7, 2, "Table1", "Table3Val", nullptr, 1}, design.id));
    ExpectDesignError(design, "join row has no expression");
}

}  // namespace
}  // namespace vt
