// Crosstab (TRANSFORM ... PIVOT) and union queries.

#include <gtest/gtest.h>

#include "query_test_rows.h"

namespace vt {
namespace {

using testing_rows::BuildOrReport;
using testing_rows::CaseName;
using testing_rows::Design;
using testing_rows::SqlCase;

class CrosstabQueries : public ::testing::TestWithParam<SqlCase> {};
class UnionQueries : public ::testing::TestWithParam<SqlCase> {};

TEST_P(CrosstabQueries, RebuildsDaoText) {
    EXPECT_EQ(BuildOrReport(GetParam().design, GetParam().dialect), GetParam().expected);
}
TEST_P(UnionQueries, RebuildsDaoText) {
    EXPECT_EQ(BuildOrReport(GetParam().design, GetParam().dialect), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Queries, CrosstabQueries,
    ::testing::Values(
        SqlCase{"JackcessCrosstabQuery",
                Design("CrosstabQuery", 16,
                       {{1, 1, nullptr, nullptr, nullptr, 6},
                        {5, 1, "Table1", nullptr, nullptr, 0},
                        {5, 2, "Table2", nullptr, nullptr, 0},
                        {5, 3, "Table2", "Table2_1", nullptr, 0},
                        {6, 1, "CountOfcol2", nullptr, "Count([Table2].[col2])", 0},
                        {6, 2, nullptr, nullptr, "Table2_1.col1", 2},
                        {6, 3, nullptr, nullptr, "[Table2].[col3]", 2},
                        {6, 4, "AvgOfcol2", nullptr, "Avg(Table2_1.col2)", 2},
                        {6, 5, nullptr, nullptr, "[Table1].[col1]", 1},
                        {7, 1, "Table1", "Table2", "[Table1].[col1]=[Table2].[col1]", 1},
                        {7, 2, "Table2", "Table2_1", "[Table2].[col1]=Table2_1.col3", 1},
                        {8, 1, nullptr, nullptr,
                         "((([Table1].[col1])>\"10\") And ((Table2_1.col1) Is Not Null) And "
                         "((Avg(Table2_1.col2))>\"10\"))",
                         0},
                        {9, 1, nullptr, nullptr, "Table2_1.col1", 2},
                        {9, 2, nullptr, nullptr, "[Table2].[col3]", 2},
                        {9, 3, nullptr, nullptr, "[Table1].[col1]", 1},
                        {11, 1, nullptr, nullptr, "[Table2].[col3]", 0}}),
                "TRANSFORM Count([Table2].[col2]) AS CountOfcol2\r\n"
                "SELECT Table2_1.col1, [Table2].[col3], Avg(Table2_1.col2) AS AvgOfcol2\r\n"
                "FROM (Table1 INNER JOIN Table2 ON [Table1].[col1]=[Table2].[col1]) INNER JOIN "
                "Table2 AS Table2_1 ON [Table2].[col1]=Table2_1.col3\r\n"
                "WHERE ((([Table1].[col1])>\"10\") And ((Table2_1.col1) Is Not Null) And "
                "((Avg(Table2_1.col2))>\"10\"))\r\n"
                "GROUP BY Table2_1.col1, [Table2].[col3]\r\nORDER BY [Table2].[col3]\r\n"
                "PIVOT [Table1].[col1];\r\n"},
        SqlCase{"QuarterlyOrdersByProduct",
                Design("Quarterly Orders by Product", 16,
                       {{1, 1, nullptr, nullptr, nullptr, 6},
                        {3, 1, nullptr, nullptr, nullptr, 8},
                        {5, 1, "Orders", nullptr, nullptr, 0},
                        {5, 2, "Order Details", nullptr, nullptr, 0},
                        {5, 3, "Products", nullptr, nullptr, 0},
                        {6, 1, nullptr, nullptr, "Products.ProductName", 2},
                        {6, 2, nullptr, nullptr, "Orders.CustomerID", 2},
                        {6, 3, "Quarters", nullptr,
                         "\"Qtr \" & DatePart(\"q\",[OrderDate],1,0) In (\"Qtr 1\",\"Qtr 2\","
                         "\"Qtr 3\",\"Qtr 4\")",
                         1},
                        {6, 4, "OrderYear", nullptr, "Year([OrderDate])", 2},
                        {6, 5, "ProductAmount", nullptr,
                         "Sum(CCur([Order Details].[UnitPrice]*[Quantity]*(1-[Discount])/100)*100)",
                         0},
                        {7, 1, "Orders", "Order Details",
                         "Orders.OrderID = [Order Details].OrderID", 1},
                        {7, 2, "Products", "Order Details",
                         "Products.ProductID = [Order Details].ProductID", 1},
                        {8, 1, nullptr, nullptr,
                         "(((Orders.OrderDate) Between #1/1/95# And #12/31/95#))", 0},
                        {9, 1, nullptr, nullptr, "Products.ProductName", 2},
                        {9, 2, nullptr, nullptr, "Orders.CustomerID", 2},
                        {9, 3, nullptr, nullptr, "\"Qtr \" & DatePart(\"q\",[OrderDate],1,0)", 1},
                        {9, 4, nullptr, nullptr, "Year([OrderDate])", 2}}),
                "TRANSFORM Sum(CCur([Order Details].[UnitPrice]*[Quantity]*(1-[Discount])/100)"
                "*100) AS ProductAmount\r\n"
                "SELECT DISTINCTROW Products.ProductName, Orders.CustomerID, Year([OrderDate]) AS "
                "OrderYear\r\n"
                "FROM Products INNER JOIN (Orders INNER JOIN [Order Details] ON Orders.OrderID = "
                "[Order Details].OrderID) ON Products.ProductID = [Order Details].ProductID\r\n"
                "WHERE (((Orders.OrderDate) Between #1/1/95# And #12/31/95#))\r\n"
                "GROUP BY Products.ProductName, Orders.CustomerID, Year([OrderDate])\r\n"
                "PIVOT \"Qtr \" & DatePart(\"q\",[OrderDate],1,0) In (\"Qtr 1\",\"Qtr 2\",\"Qtr "
                "3\",\"Qtr 4\");\r\n"},
        SqlCase{"RowTotalAndNoOptionsRow",
                Design("pivot", 16,
                       {{1, 1, nullptr, nullptr, nullptr, 6},
                        {5, 1, "t_pivot", nullptr, nullptr, 0},
                        {6, 1, "DevSt_Value", nullptr, "StDev(t_pivot.[c_val])", 0},
                        {6, 2, nullptr, nullptr, "t_pivot.[c_dt]", 2},
                        {6, 3, "Total_Value", nullptr, "StDev(t_pivot.[c_val])", 2},
                        {6, 4, nullptr, nullptr, "Format([c_dt],\"yyyy\")", 1},
                        {9, 1, nullptr, nullptr, "t_pivot.[c_dt]", 2},
                        {9, 2, nullptr, nullptr, "Format([c_dt],\"yyyy\")", 1}}),
                "TRANSFORM StDev(t_pivot.[c_val]) AS DevSt_Value\r\n"
                "SELECT t_pivot.[c_dt], StDev(t_pivot.[c_val]) AS Total_Value\r\n"
                "FROM t_pivot\r\nGROUP BY t_pivot.[c_dt]\r\n"
                "PIVOT Format([c_dt],\"yyyy\");\r\n"},
        SqlCase{"WithParameters",
                Design("xt", 16,
                       {{1, 1, nullptr, nullptr, nullptr, 6},
                        {2, 1, "Which Year", nullptr, nullptr, 3},
                        {5, 1, "Salas", nullptr, nullptr, 0},
                        {6, 1, nullptr, nullptr, "Salas.Sala", 2},
                        {6, 2, nullptr, nullptr, "Salas.Per\xC3\xADodo", 1},
                        {6, 3, "N", nullptr, "Count(*)", 0},
                        {8, 1, nullptr, nullptr, "Salas.A\xC3\xB1o=[Which Year]", 0},
                        {9, 1, nullptr, nullptr, "Salas.Sala", 2},
                        {9, 2, nullptr, nullptr, "Salas.Per\xC3\xADodo", 1},
                        {11, 1, "D", nullptr, "Salas.Sala", 0}}),
                "PARAMETERS [Which Year] Short;\r\nTRANSFORM Count(*) AS N\r\n"
                "SELECT Salas.Sala\r\nFROM Salas\r\nWHERE Salas.A\xC3\xB1o=[Which Year]\r\n"
                "GROUP BY Salas.Sala\r\nORDER BY Salas.Sala DESC\r\n"
                "PIVOT Salas.Per\xC3\xADodo;\r\n"}),
    CaseName);

QueryDesign TwoParts(int options, const char* first, const char* second) {
    return Design("TestQuery", 128,
                  {{1, 1, nullptr, nullptr, nullptr, 9},
                   {3, 1, nullptr, nullptr, nullptr, options},
                   {5, 1, nullptr, "X7YZ_____1", first, 0},
                   {5, 2, nullptr, "X7YZ_____2", second, 0}});
}

INSTANTIATE_TEST_SUITE_P(
    Queries, UnionQueries,
    ::testing::Values(
        SqlCase{"JackcessUnionQuery",
                TwoParts(1,
                         "Select Table1.col1, Table1.col2\r\nwhere Table1.col1 = \"foo\"\r\n"
                         "UNION\r\nSelect Table2.col1, Table2.col2\r\n",
                         "Select Table3.col1, Table3.col2\r\nwhere Table3.col3 > \"blah\""),
                "Select Table1.col1, Table1.col2\r\nwhere Table1.col1 = \"foo\"\r\nUNION\r\n"
                "Select Table2.col1, Table2.col2\r\nUNION ALL Select Table3.col1, "
                "Table3.col2\r\nwhere Table3.col3 > \"blah\";\r\n"},
        SqlCase{"CustomersAndSuppliersByCity",
                Design("Customers and Suppliers by City", 128,
                       {{1, 1, nullptr, nullptr, nullptr, 9},
                        {3, 1, nullptr, nullptr, nullptr, 3},
                        {5, 1, nullptr, "X7YZ_____1",
                         "SELECT City, CompanyName, ContactName, \"Customers\" AS [Relationship] "
                         "\r\nFROM Customers\r\n",
                         0},
                        {5, 2, nullptr, "X7YZ_____2",
                         "SELECT City, CompanyName, ContactName, \"Suppliers\"\r\nFROM Suppliers",
                         0},
                        {11, 1, nullptr, nullptr, "City", 0},
                        {11, 2, nullptr, nullptr, "CompanyName", 0}}),
                "SELECT City, CompanyName, ContactName, \"Customers\" AS [Relationship] \r\n"
                "FROM Customers\r\nUNION SELECT City, CompanyName, ContactName, "
                "\"Suppliers\"\r\nFROM Suppliers\r\nORDER BY City, CompanyName;\r\n"},
        SqlCase{"UnionDistinct",
                TwoParts(3, "Select * from Table1\r\n", "Select * from Table2"),
                "Select * from Table1\r\nUNION Select * from Table2;\r\n"},
        SqlCase{"UnionAll", TwoParts(1, "Select * from Table1\r\n", "Select * from Table2"),
                "Select * from Table1\r\nUNION ALL Select * from Table2;\r\n"},
        SqlCase{"NoOptionsRowIsUnionAll",
                Design("u", 128,
                       {{5, 1, nullptr, "X7YZ_____1", "SELECT a FROM t ", 0},
                        {5, 2, nullptr, "X7YZ_____2", "SELECT a FROM s", 0}}),
                "SELECT a FROM t UNION ALL SELECT a FROM s;\r\n"},
        SqlCase{"FirstPartWithoutTrailingSpace",
                TwoParts(3, "SELECT a FROM t", "SELECT a FROM s"),
                "SELECT a FROM t UNION SELECT a FROM s;\r\n"},
        SqlCase{"EarlierUnionsStayInFirstPart",
                TwoParts(1, "SELECT a FROM t\r\nUnion All\r\nSELECT a FROM u\r\n\r\n",
                         "SELECT a FROM s"),
                "SELECT a FROM t\r\nUnion All\r\nSELECT a FROM u\r\n\r\nUNION ALL SELECT a "
                "FROM s;\r\n"},
        SqlCase{"ParametersOrderByAndOwnerAccess",
                Design("u", 128,
                       {{1, 1, nullptr, nullptr, nullptr, 9},
                        {2, 1, "[Which]", nullptr, nullptr, 4},
                        {3, 1, nullptr, nullptr, nullptr, 7},
                        {5, 1, nullptr, "X7YZ_____1", "SELECT a FROM t WHERE a=[Which]\r\n", 0},
                        {5, 2, nullptr, "X7YZ_____2", "SELECT a FROM s", 0},
                        {11, 1, "D", nullptr, "a", 0}}),
                "PARAMETERS [Which] Long;\r\nSELECT a FROM t WHERE a=[Which]\r\n"
                "UNION SELECT a FROM s\r\nORDER BY a DESC\r\nWITH OWNERACCESS OPTION;\r\n"},
        SqlCase{"MorePartsInNumberOrder",
                Design("u", 128,
                       {{1, 1, nullptr, nullptr, nullptr, 9},
                        {3, 1, nullptr, nullptr, nullptr, 3},
                        {5, 1, nullptr, "X7YZ_____3", "SELECT 3", 0},
                        {5, 2, nullptr, "X7YZ_____1", "SELECT 1 ", 0},
                        {5, 3, nullptr, "X7YZ_____2", "SELECT 2", 0}}),
                "SELECT 1 UNION SELECT 2 UNION SELECT 3;\r\n"}),
    CaseName);

}  // namespace
}  // namespace vt
