// Action queries (make-table, append, update, delete) and the stored-text
// kinds (pass-through, data definition).

#include <gtest/gtest.h>

#include "query_test_rows.h"

namespace vt {
namespace {

using testing_rows::BuildOrReport;
using testing_rows::CaseName;
using testing_rows::Design;
using testing_rows::SqlCase;

// A pass-through or data-definition design whose stored text may hold NULs.
QueryDesign StoredText(const char* name, std::int32_t catalogueFlags, const char* connect,
                            const std::string& text, int typeFlag) {
    QueryDesign design =
        Design(name, catalogueFlags, {{1, 1, connect, nullptr, "placeholder", typeFlag}});
    for (auto& row : design.rows) {
        if (row.attribute == 1) row.expression = text;
    }
    return design;
}

class MakeTableQueries : public ::testing::TestWithParam<SqlCase> {};
class AppendQueries : public ::testing::TestWithParam<SqlCase> {};
class UpdateQueries : public ::testing::TestWithParam<SqlCase> {};
class DeleteQueries : public ::testing::TestWithParam<SqlCase> {};
class StoredTextQueries : public ::testing::TestWithParam<SqlCase> {};

TEST_P(MakeTableQueries, RebuildsDaoText) {
    EXPECT_EQ(BuildOrReport(GetParam().design, GetParam().dialect), GetParam().expected);
}
TEST_P(AppendQueries, RebuildsDaoText) {
    EXPECT_EQ(BuildOrReport(GetParam().design, GetParam().dialect), GetParam().expected);
}
TEST_P(UpdateQueries, RebuildsDaoText) {
    EXPECT_EQ(BuildOrReport(GetParam().design, GetParam().dialect), GetParam().expected);
}
TEST_P(DeleteQueries, RebuildsDaoText) {
    EXPECT_EQ(BuildOrReport(GetParam().design, GetParam().dialect), GetParam().expected);
}
TEST_P(StoredTextQueries, ReturnsTheStoredTextUpToNul) {
    EXPECT_EQ(BuildOrReport(GetParam().design, GetParam().dialect), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Queries, MakeTableQueries,
    ::testing::Values(
        SqlCase{"JackcessMakeTableQuery",
                Design("MakeTableQuery", 80,
                       {{1, 1, "Table4", nullptr, nullptr, 2},
                        {3, 1, nullptr, nullptr, nullptr, 0},
                        {5, 1, "Table2", nullptr, nullptr, 0},
                        {5, 2, "Table1", nullptr, nullptr, 0},
                        {5, 3, "Table3", nullptr, nullptr, 0},
                        {6, 1, "MaxOfcol1", nullptr, "Max(Table2.col1)", 0},
                        {6, 2, nullptr, nullptr, "Table2.col2", 0},
                        {6, 3, nullptr, nullptr, "Table3.col2", 0},
                        {7, 1, "Table2", "Table1", "Table2.col1 = Table1.col2", 1},
                        {7, 2, "Table1", "Table3", "Table1.col2 = Table3.col3", 3},
                        {9, 1, nullptr, nullptr, "Table2.col2", 0},
                        {9, 2, nullptr, nullptr, "Table3.col2", 0},
                        {10, 1, nullptr, nullptr,
                         "(((Max(Table2.col1))=\"buzz\") AND ((Table2.col2)<>\"blah\"))", 0}}),
                "SELECT Max(Table2.col1) AS MaxOfcol1, Table2.col2, Table3.col2 INTO Table4\r\n"
                "FROM (Table2 INNER JOIN Table1 ON Table2.col1 = Table1.col2) RIGHT JOIN Table3 "
                "ON Table1.col2 = Table3.col3\r\nGROUP BY Table2.col2, Table3.col2\r\n"
                "HAVING (((Max(Table2.col1))=\"buzz\") AND ((Table2.col2)<>\"blah\"));\r\n"},
        SqlCase{"AllFieldsIntoBracketedTarget",
                Design("mk", 80,
                       {{1, 1, "temp Route", nullptr, nullptr, 2},
                        {3, 1, nullptr, nullptr, nullptr, 1},
                        {5, 1, "Route", nullptr, nullptr, 0}}),
                "SELECT * INTO [temp Route]\r\nFROM Route;\r\n"},
        SqlCase{"TargetInOtherDatabase",
                Design("mk", 80,
                       {{1, 1, "Archive", "C:\\Data\\old.mdb", nullptr, 2},
                        {5, 1, "Orders", nullptr, nullptr, 0},
                        {6, 1, nullptr, nullptr, "Orders.*", 0}}),
                "SELECT Orders.* INTO Archive IN 'C:\\Data\\old.mdb'\r\nFROM Orders;\r\n"}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    Queries, AppendQueries,
    ::testing::Values(
        SqlCase{"JackcessAppendQuery",
                Design("AppendQuery", 64,
                       {{1, 1, "Table3", nullptr, nullptr, 3},
                        {5, 1, "Table3", nullptr, nullptr, 0},
                        {5, 2, "Table1", nullptr, nullptr, 0},
                        {5, 3, "Table2", nullptr, nullptr, 0},
                        {6, 1, nullptr, "col2", "[Table1].[col2]", 0},
                        {6, 2, nullptr, "col2", "[Table2].[col2]", 0},
                        {6, 3, nullptr, "col3", "[Table2].[col3]", 0},
                        {7, 1, "Table1", "Table2", "[Table1].[col1]=[Table2].[col1]", 1}}),
                "INSERT INTO Table3 ( col2, col2, col3 )\r\n"
                "SELECT [Table1].[col2], [Table2].[col2], [Table2].[col3]\r\n"
                "FROM Table3, Table1 INNER JOIN Table2 ON [Table1].[col1]=[Table2].[col1];\r\n"},
        SqlCase{"ValuesWithoutTargets",
                Design("TestQuery", 64,
                       {{1, 1, "Table2", nullptr, nullptr, 3},
                        {6, 1, nullptr, nullptr, "54", -32768},
                        {6, 2, nullptr, nullptr, "'hello'", -32768}}),
                "INSERT INTO Table2\r\nVALUES (54, 'hello');\r\n"},
        SqlCase{"ValuesWithTargets",
                Design("TestQuery", 64,
                       {{1, 1, "Table2", nullptr, nullptr, 3},
                        {6, 1, nullptr, "ID", "54", 0x8000},
                        {6, 2, nullptr, "Field 3", "'hello'", 0x8000}}),
                "INSERT INTO Table2 ( ID, [Field 3] )\r\nVALUES (54, 'hello');\r\n"},
        SqlCase{"NonAsciiTargets",
                Design("qAppend", 64,
                       {{1, 1, "tblFinpost_SumYear_Local", nullptr, nullptr, 3},
                        {3, 1, nullptr, nullptr, nullptr, 0},
                        {5, 1, "tblFinpost", nullptr, nullptr, 0},
                        {6, 1, nullptr, "Year_", "tblFinpost.Year_", 0},
                        {6, 2, nullptr, "Bel\xC3\xB8" "b", "Sum(tblFinpost.Bel\xC3\xB8" "b)", 0},
                        {9, 1, nullptr, nullptr, "tblFinpost.Year_", 0}}),
                "INSERT INTO tblFinpost_SumYear_Local ( Year_, Bel\xC3\xB8" "b )\r\n"
                "SELECT tblFinpost.Year_, Sum(tblFinpost.Bel\xC3\xB8" "b)\r\n"
                "FROM tblFinpost\r\nGROUP BY tblFinpost.Year_;\r\n"},
        SqlCase{"TargetInOtherDatabase",
                Design("qAppend", 64,
                       {{1, 1, "Items", "C:\\x.mdb", nullptr, 3},
                        {3, 1, nullptr, nullptr, nullptr, 8},
                        {5, 1, "Src", nullptr, nullptr, 0},
                        {6, 1, nullptr, "Item", "Src.Item", 0}}),
                "INSERT INTO Items ( Item ) IN 'C:\\x.mdb'\r\n"
                "SELECT DISTINCTROW Src.Item\r\nFROM Src;\r\n"}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    Queries, UpdateQueries,
    ::testing::Values(
        SqlCase{"JackcessUpdateQuery",
                Design("UpdateQuery", 48,
                       {{1, 1, nullptr, nullptr, nullptr, 4},
                        {2, 1, "User Name", nullptr, nullptr, 10},
                        {3, 1, nullptr, nullptr, nullptr, 0},
                        {5, 1, "Table1", nullptr, nullptr, 0},
                        {6, 1, nullptr, "Table1.col1", "\"foo\"", 0},
                        {6, 2, nullptr, "Table1.col2", "[Table2].[col3]", 0},
                        {6, 3, nullptr, "[Table2].[col1]", "[User Name]", 0},
                        {8, 1, nullptr, nullptr, "((([Table2].[col1]) Is Not Null))", 0}}),
                "PARAMETERS [User Name] Text;\r\n"
                "UPDATE Table1 SET Table1.col1 = \"foo\", Table1.col2 = [Table2].[col3], "
                "[Table2].[col1] = [User Name]\r\nWHERE ((([Table2].[col1]) Is Not Null));\r\n"},
        SqlCase{"WithoutWhere",
                Design("TestQuery", 48,
                       {{1, 1, nullptr, nullptr, nullptr, 4},
                        {5, 1, "Table1", nullptr, nullptr, 0},
                        {6, 1, nullptr, "Table1.id", "\"some string\"", 0},
                        {6, 2, nullptr, "Table1.col1", "42", 0}}),
                "UPDATE Table1 SET Table1.id = \"some string\", Table1.col1 = 42;\r\n"},
        SqlCase{"JoinedTablesAndDottedTarget",
                Design("qUpd", 48,
                       {{1, 1, nullptr, nullptr, nullptr, 4},
                        {5, 1, "Basic (Cable/Sheath)", nullptr, nullptr, 0},
                        {5, 2, "Status", nullptr, nullptr, 0},
                        {6, 1, nullptr, "[Basic (Cable/Sheath)].OracleStatus", "Status.Code", 0},
                        {7, 1, "Basic (Cable/Sheath)", "Status",
                         "[Basic (Cable/Sheath)].ID = Status.ID", 1},
                        {8, 1, nullptr, nullptr, "((Status.Code) Is Not Null)", 0}}),
                "UPDATE [Basic (Cable/Sheath)] INNER JOIN Status ON [Basic (Cable/Sheath)].ID = "
                "Status.ID SET [Basic (Cable/Sheath)].OracleStatus = Status.Code\r\n"
                "WHERE ((Status.Code) Is Not Null);\r\n"},
        SqlCase{"DistinctRowWithListAndJoin",
                Design("qUpd", 48,
                       {{1, 1, nullptr, nullptr, nullptr, 4},
                        {3, 1, nullptr, nullptr, nullptr, 8},
                        {5, 1, "tblFibersToConvert", nullptr, nullptr, 0},
                        {5, 2, "FinalList", nullptr, nullptr, 0},
                        {5, 3, "Basic", nullptr, nullptr, 0},
                        {6, 1, nullptr, "Basic.Status", "tblFibersToConvert.Status", 0},
                        {7, 1, "FinalList", "Basic", "FinalList.Item = Basic.[Item No]", 1}}),
                "UPDATE DISTINCTROW tblFibersToConvert, FinalList INNER JOIN Basic ON "
                "FinalList.Item = Basic.[Item No] SET Basic.Status = "
                "tblFibersToConvert.Status;\r\n"}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    Queries, DeleteQueries,
    ::testing::Values(
        SqlCase{"JackcessDeleteQuery",
                Design("DeleteQuery", 32,
                       {{1, 1, nullptr, nullptr, nullptr, 5},
                        {3, 1, nullptr, nullptr, nullptr, 0},
                        {5, 1, "Table1", nullptr, nullptr, 0},
                        {6, 1, nullptr, nullptr, "Table1.col1", 0},
                        {6, 2, nullptr, nullptr, "Table1.col2", 0},
                        {6, 3, nullptr, nullptr, "Table1.col3", 0},
                        {8, 1, nullptr, nullptr, "(((Table1.col1)>\"blah\"))", 0}}),
                "DELETE Table1.col1, Table1.col2, Table1.col3\r\nFROM Table1\r\n"
                "WHERE (((Table1.col1)>\"blah\"));\r\n"},
        SqlCase{"NoColumnsPrintsStar",
                Design("qDel", 32,
                       {{1, 1, nullptr, nullptr, nullptr, 5},
                        {5, 1, "t", nullptr, nullptr, 0},
                        {8, 1, nullptr, nullptr, "t.x=1", 0}}),
                "DELETE *\r\nFROM t\r\nWHERE t.x=1;\r\n"},
        SqlCase{"ColumnsThenStar",
                Design("qDel", 32,
                       {{1, 1, nullptr, nullptr, nullptr, 5},
                        {3, 1, nullptr, nullptr, nullptr, 1},
                        {5, 1, "tblStockOutCause", nullptr, nullptr, 0},
                        {6, 1, nullptr, nullptr, "tblStockOutCause.evadibile", 0}}),
                "DELETE tblStockOutCause.evadibile, *\r\nFROM tblStockOutCause;\r\n"},
        SqlCase{"DistinctRowDelete",
                Design("qDel", 32,
                       {{1, 1, nullptr, nullptr, nullptr, 5},
                        {3, 1, nullptr, nullptr, nullptr, 9},
                        {5, 1, "a", nullptr, nullptr, 0},
                        {5, 2, "b", nullptr, nullptr, 0},
                        {7, 1, "a", "b", "a.id = b.id", 1}}),
                "DELETE DISTINCTROW *\r\nFROM a INNER JOIN b ON a.id = b.id;\r\n"}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    Queries, StoredTextQueries,
    ::testing::Values(
        SqlCase{"JackcessPassthroughQuery",
                StoredText("PassthroughQuery", 112, "ODBC;",
                           std::string("ALTER TABLE Table4 DROP COLUMN col5;\0", 37), 8),
                "ALTER TABLE Table4 DROP COLUMN col5;"},
        SqlCase{"JackcessDataDefinitionQuery",
                StoredText("DataDefinitionQuery", 96, nullptr,
                           std::string("CREATE TABLE Table5 (col1 CHAR, col2 CHAR);\0", 44), 7),
                "CREATE TABLE Table5 (col1 CHAR, col2 CHAR);"},
        SqlCase{"NothingAddedWithoutNul",
                Design("pt", 112,
                       {{1, 1, "ODBC;DSN=x", nullptr,
                         "SELECT COUNT(*) AS col FROM D_address WHERE uprn IS NULL", 8}}),
                "SELECT COUNT(*) AS col FROM D_address WHERE uprn IS NULL"},
        SqlCase{"OtherRowsIgnored",
                Design("ddl", 96,
                       {{1, 1, nullptr, nullptr, "DROP TABLE [x y]\r\n", 7},
                        {3, 1, nullptr, nullptr, nullptr, 4},
                        {5, 1, "Ignored", nullptr, nullptr, 0}}),
                "DROP TABLE [x y]\r\n"}),
    CaseName);

// The NUL inside the stored text must reach the builder for the cut to be
// tested at all.
TEST(StoredTextQueries, TextAfterTheNulIsDropped) {
    const std::string stored("EXEC p\0garbage", 14);
    ASSERT_EQ(stored.size(), 14u);
    EXPECT_EQ(BuildOrReport(StoredText("pt", 112, "ODBC;", stored, 8), QueryDialect::Jet),
              "EXEC p");
}

}  // namespace
}  // namespace vt
