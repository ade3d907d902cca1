// The SQL text rebuilt from a stored query's rows: one table of row sets and
// the text DAO gives for each, grouped by query kind, and the bracketing of
// names. The worked vectors of the query SQL notes (§5.4, §7.1, §7.4) and
// those of its other vectors that take a path of their own appear once each.

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "query_row_text.h"

namespace vt {
namespace {

using namespace std::string_literals;
using testing_rows::Design;

struct SqlCase {
    std::string name;  // Kind_What
    QueryDesign design;
    std::string sql;
    QueryDialect dialect = QueryDialect::Jet;
};

void PrintTo(const SqlCase& c, std::ostream* os) { *os << c.name; }

// Jackcess's synthetic select over Table1 with the given options row.
QueryDesign Options(const std::string& row) {
    return Design("q", 0, {"1:1", row, "5 Table1", "6 ||Table1.id", "6 Some.Alias||Table1.col"});
}
const std::string kOptionsColumns = "Table1.id, Table1.col AS [Some.Alias]";

QueryDesign Remote(const std::string& pathAndType) {
    return Design("q", 0, {"1:1", "4:2 " + pathAndType, "5 Table1", "6 ||Table1.id"});
}

const std::string kDerived = "SELECT Tekniker.F\xC3\xB6retag, Tekniker.[Extern ID] FROM Tekniker";
const QueryDesign kDerivedTable =
    Design("~sq_cKunder~sq_cChild1", 3,
           {"2 __Namn", "3:9", "5 |Kunder|" + kDerived, "8 ||([__Namn] = F\xC3\xB6retag)"});
const std::string kDerivedStart = "PARAMETERS __Namn Value;\r\nSELECT DISTINCTROW *\r\nFROM ";
const std::string kDerivedEnd = " AS Kunder\r\nWHERE ([__Namn] = F\xC3\xB6retag);\r\n";

const std::vector<SqlCase> kCases = {
    {"Select_SelectQuery",
     Design("SelectQuery", 0,
            {"1:1", "3:2", "5 Table1", "5 Table2", "5 Table3", "6 ||Table1.*", "6 ||Table2.col1",
             "6 ||Table2.col2", "6 ||Table3.col3", "7:2 Table1|Table3|Table1.col1 = Table3.col1",
             "7:1 Table3|Table2|Table3.col1 = Table2.col1",
             "7:1 Table3|Table2|Table3.col1 = Table2.col2", "11 ||Table2.col1",
             "8 ||(((Table2.col2)=\"foo\" Or (Table2.col2) In (\"buzz\",\"bazz\")))"}),
     "SELECT DISTINCT Table1.*, Table2.col1, Table2.col2, Table3.col3\r\n"
     "FROM (Table1 LEFT JOIN Table3 ON Table1.col1 = Table3.col1) INNER JOIN Table2 ON "
     "(Table3.col1 = Table2.col2) AND (Table3.col1 = Table2.col1)\r\n"
     "WHERE (((Table2.col2)=\"foo\" Or (Table2.col2) In (\"buzz\",\"bazz\")))\r\n"
     "ORDER BY Table2.col1;\r\n"},
    {"Select_TenMostExpensiveProducts",
     Design("Ten Most Expensive Products", 0,
            {"1:1", "3:24 10", "5 Products", "6 TenMostExpensiveProducts||Products.ProductName",
             "6 ||Products.UnitPrice", "11 D||Products.UnitPrice"}),
     "SELECT DISTINCTROW TOP 10 Products.ProductName AS TenMostExpensiveProducts, "
     "Products.UnitPrice\r\nFROM Products\r\nORDER BY Products.UnitPrice DESC;\r\n"},
    {"Select_MissingTypeAndOptionRows",
     Design("qryGSTCalculations", 0,
            {"5 Asset Items", "6 ||[Asset Items].[Asset No]", "6 ||[Asset Items].Make",
             "6 ||[Asset Items].Model", "6 ||[Asset Items].Acquired", "6 ||[Asset Items].Cost",
             "6 Ex Tax||[Cost]/1.22", "6 GST||[Cost]-([Cost]/1.22)"}),
     "SELECT [Asset Items].[Asset No], [Asset Items].Make, [Asset Items].Model, "
     "[Asset Items].Acquired, [Asset Items].Cost, [Cost]/1.22 AS [Ex Tax], "
     "[Cost]-([Cost]/1.22) AS GST\r\nFROM [Asset Items];\r\n"},
    {"Select_DerivedTableJetFile", kDerivedTable,
     kDerivedStart + "[" + kDerived + "]." + kDerivedEnd},
    {"Select_DerivedTableAceFile", kDerivedTable,
     kDerivedStart + "(" + kDerived + ") " + kDerivedEnd, QueryDialect::Ace},
    {"Select_OptionsDistinctOwnerAccess", Options("3:7"),
     "SELECT DISTINCT " + kOptionsColumns + ", *\r\nFROM Table1\r\nWITH OWNERACCESS OPTION;\r\n"},
    {"Select_OptionsTopPercent", Options("3:49 5"),
     "SELECT TOP 5 PERCENT " + kOptionsColumns + ", *\r\nFROM Table1;\r\n"},
    {"Select_ParameterTypesNamesAndSizes",
     Design("q", 0, {"2:3 INT_VAL", "2:10 TextVal", "2 [Some Value]", "2:12 Memo Val", "2:15 a!!b",
                     "2:8 Forms!Sales by Year Dialog!BeginningDate", "2:10 Sized|||50",
                     "2:4 prmID|||50", "2:10 Zero|||0", "2:10 Widest|||255", "5 T"}),
     "PARAMETERS INT_VAL Short, TextVal Text, [Some Value] Value, [Memo Val] LongText, [a!!b] "
     "Guid, Forms![Sales by Year Dialog]!BeginningDate DateTime, Sized Text ( 50 ), prmID "
     "Long, Zero Text, Widest Text ( 255 );\r\nSELECT *\r\nFROM T;\r\n"},
    {"Select_RemoteTypeOnly", Remote("||MDB_FILE;"),
     "SELECT Table1.id\r\nFROM Table1 IN '' [MDB_FILE;];\r\n"},
    {"Select_RemotePathWithQuote", Remote("C:\\O'Neil\\db.mdb"),
     "SELECT Table1.id\r\nFROM Table1 IN 'C:\\O''Neil\\db.mdb';\r\n"},
    {"Select_TopEmptyRemoteRowGroupAndOrder",
     Design("q", 0, {"1:1", "3:16 99", "4", "5 T", "5 val|V|C:\\x.mdb", "6 ||T.id", "9 ||T.id",
                     "9 ||SUM(T.val)", "11 ||T.id", "11 d||T.val", "11 A||T.x"}),
     "SELECT TOP 99 T.id\r\nFROM T, [C:\\x.mdb].val AS V\r\nGROUP BY T.id, SUM(T.val)\r\n"
     "ORDER BY T.id, T.val DESC, T.x;\r\n"},
    {"Select_NoFromClause", Design("q", 0, {"1:1", "6 Answer||6*7"}), "SELECT 6*7 AS Answer;\r\n"},
    {"Fallback_DeleteWithoutTypeRow", Design("q", 32, {"5 t", "8 ||t.x=1"}),
     "DELETE *\r\nFROM t\r\nWHERE t.x=1;\r\n"},
    {"Fallback_TypeRowZeroIsUpdate", Design("q", 48, {"1", "5 T", "6 |T.a|1"}),
     "UPDATE T SET T.a = 1;\r\n"},
    {"Fallback_TypeRowTenIsDelete", Design("q", 32, {"1:10", "5 T"}), "DELETE *\r\nFROM T;\r\n"},
    {"Fallback_TypeRowWinsOverCatalogue",
     Design("q", 32, {"1:1", "5 T"}), "SELECT *\r\nFROM T;\r\n"},
    {"Fallback_PassThroughReturningNoRecords",
     Design("q", 144, {"1 ODBC;DSN=x||EXEC comm.sync @bDebug=0"}), "EXEC comm.sync @bDebug=0"},
    {"Fallback_UnknownCatalogueKindIsSelect", Design("q", 224, {"5 T"}), "SELECT *\r\nFROM T;\r\n"},
    {"MakeTable_MakeTableQuery",
     Design("MakeTableQuery", 80,
            {"1:2 Table4", "3", "5 Table2", "5 Table1", "5 Table3", "6 MaxOfcol1||Max(Table2.col1)",
             "6 ||Table2.col2", "6 ||Table3.col2", "7:1 Table2|Table1|Table2.col1 = Table1.col2",
             "7:3 Table1|Table3|Table1.col2 = Table3.col3", "9 ||Table2.col2", "9 ||Table3.col2",
             "10 ||(((Max(Table2.col1))=\"buzz\") AND ((Table2.col2)<>\"blah\"))"}),
     "SELECT Max(Table2.col1) AS MaxOfcol1, Table2.col2, Table3.col2 INTO Table4\r\n"
     "FROM (Table2 INNER JOIN Table1 ON Table2.col1 = Table1.col2) RIGHT JOIN Table3 ON "
     "Table1.col2 = Table3.col3\r\nGROUP BY Table2.col2, Table3.col2\r\n"
     "HAVING (((Max(Table2.col1))=\"buzz\") AND ((Table2.col2)<>\"blah\"));\r\n"},
    {"MakeTable_TargetInOtherDatabase",
     Design("mk", 80, {"1:2 Archive|C:\\Data\\old.mdb", "5 Orders", "6 ||Orders.*"}),
     "SELECT Orders.* INTO Archive IN 'C:\\Data\\old.mdb'\r\nFROM Orders;\r\n"},
    {"Append_AppendQuery",
     Design("AppendQuery", 64,
            {"1:3 Table3", "5 Table3", "5 Table1", "5 Table2", "6 |col2|[Table1].[col2]",
             "6 |col2|[Table2].[col2]", "6 |col3|[Table2].[col3]",
             "7:1 Table1|Table2|[Table1].[col1]=[Table2].[col1]"}),
     "INSERT INTO Table3 ( col2, col2, col3 )\r\n"
     "SELECT [Table1].[col2], [Table2].[col2], [Table2].[col3]\r\n"
     "FROM Table3, Table1 INNER JOIN Table2 ON [Table1].[col1]=[Table2].[col1];\r\n"},
    {"Append_ValuesWithoutTargets",
     Design("q", 64, {"1:3 Table2", "6:-32768 ||54", "6:-32768 ||'hello'"}),
     "INSERT INTO Table2\r\nVALUES (54, 'hello');\r\n"},
    {"Append_ValuesWithTargets",
     Design("q", 64, {"1:3 Table2", "6:32768 |ID|54", "6:32768 |Field 3|'hello'"}),
     "INSERT INTO Table2 ( ID, [Field 3] )\r\nVALUES (54, 'hello');\r\n"},
    {"Append_TargetInOtherDatabase",
     Design("q", 64, {"1:3 Items|C:\\x.mdb", "3:8", "5 Src", "6 |Item|Src.Item"}),
     "INSERT INTO Items ( Item ) IN 'C:\\x.mdb'\r\nSELECT DISTINCTROW Src.Item\r\nFROM Src;\r\n"},
    {"Update_UpdateQuery",
     Design("UpdateQuery", 48,
            {"1:4", "2:10 User Name", "3", "5 Table1", "6 |Table1.col1|\"foo\"",
             "6 |Table1.col2|[Table2].[col3]", "6 |[Table2].[col1]|[User Name]",
             "8 ||((([Table2].[col1]) Is Not Null))"}),
     "PARAMETERS [User Name] Text;\r\nUPDATE Table1 SET Table1.col1 = \"foo\", "
     "Table1.col2 = [Table2].[col3], [Table2].[col1] = [User Name]\r\n"
     "WHERE ((([Table2].[col1]) Is Not Null));\r\n"},
    {"Update_DistinctRowWithListAndJoin",
     Design("qUpd", 48, {"1:4", "3:8", "5 tblFibersToConvert", "5 FinalList", "5 Basic",
                         "6 |Basic.Status|tblFibersToConvert.Status",
                         "7:1 FinalList|Basic|FinalList.Item = Basic.[Item No]"}),
     "UPDATE DISTINCTROW tblFibersToConvert, FinalList INNER JOIN Basic ON FinalList.Item = "
     "Basic.[Item No] SET Basic.Status = tblFibersToConvert.Status;\r\n"},
    {"Update_SourceInOtherDatabase", Design("q", 48, {"1:4", "4 C:\\x.mdb", "5 T", "6 |T.a|1"}),
     "UPDATE T IN 'C:\\x.mdb' SET T.a = 1;\r\n"},
    {"Delete_DeleteQuery",
     Design("DeleteQuery", 32, {"1:5", "3", "5 Table1", "6 ||Table1.col1", "6 ||Table1.col2",
                                "6 ||Table1.col3", "8 ||(((Table1.col1)>\"blah\"))"}),
     "DELETE Table1.col1, Table1.col2, Table1.col3\r\nFROM Table1\r\n"
     "WHERE (((Table1.col1)>\"blah\"));\r\n"},
    {"Delete_WithoutStartRow", Design("q", 0, {"1:5", "5 T", "255"}, false), 
     "DELETE *\r\nFROM T;\r\n"},
    {"StoredText_PassthroughQuery",
     Design("PassthroughQuery", 112, {"1:8 ODBC;||ALTER TABLE Table4 DROP COLUMN col5;\0"s}),
     "ALTER TABLE Table4 DROP COLUMN col5;"},
    {"StoredText_DataDefinitionQuery",
     Design("DataDefinitionQuery", 96, {"1:7 ||CREATE TABLE Table5 (col1 CHAR, col2 CHAR);\0"s}),
     "CREATE TABLE Table5 (col1 CHAR, col2 CHAR);"},
    {"Crosstab_CrosstabQuery",
     Design("CrosstabQuery", 16,
            {"1:6", "5 Table1", "5 Table2", "5 Table2|Table2_1",
             "6 CountOfcol2||Count([Table2].[col2])", "6:2 ||Table2_1.col1",
             "6:2 ||[Table2].[col3]", "6:2 AvgOfcol2||Avg(Table2_1.col2)", "6:1 ||[Table1].[col1]",
             "7:1 Table1|Table2|[Table1].[col1]=[Table2].[col1]",
             "7:1 Table2|Table2_1|[Table2].[col1]=Table2_1.col3",
             "8 ||((([Table1].[col1])>\"10\") And ((Table2_1.col1) Is Not Null) And "
             "((Avg(Table2_1.col2))>\"10\"))",
             "9:2 ||Table2_1.col1", "9:2 ||[Table2].[col3]", "9:1 ||[Table1].[col1]",
             "11 ||[Table2].[col3]"}),
     "TRANSFORM Count([Table2].[col2]) AS CountOfcol2\r\n"
     "SELECT Table2_1.col1, [Table2].[col3], Avg(Table2_1.col2) AS AvgOfcol2\r\n"
     "FROM (Table1 INNER JOIN Table2 ON [Table1].[col1]=[Table2].[col1]) INNER JOIN Table2 "
     "AS Table2_1 ON [Table2].[col1]=Table2_1.col3\r\nWHERE ((([Table1].[col1])>\"10\") And "
     "((Table2_1.col1) Is Not Null) And ((Avg(Table2_1.col2))>\"10\"))\r\n"
     "GROUP BY Table2_1.col1, [Table2].[col3]\r\nORDER BY [Table2].[col3]\r\n"
     "PIVOT [Table1].[col1];\r\n"},
    {"Union_UnionQuery",
     Design("UnionQuery", 128,
            {"1:9", "3:1",
             "5 |X7YZ_____1|Select Table1.col1, Table1.col2\r\nwhere Table1.col1 = \"foo\"\r\n"
             "UNION\r\nSelect Table2.col1, Table2.col2\r\n",
             "5 |X7YZ_____2|Select Table3.col1, Table3.col2\r\nwhere Table3.col3 > \"blah\""}),
     "Select Table1.col1, Table1.col2\r\nwhere Table1.col1 = \"foo\"\r\nUNION\r\n"
     "Select Table2.col1, Table2.col2\r\nUNION ALL Select Table3.col1, Table3.col2\r\n"
     "where Table3.col3 > \"blah\";\r\n"},
    {"Union_CustomersAndSuppliersByCity",
     Design("Customers and Suppliers by City", 128,
            {"1:9", "3:3",
             "5 |X7YZ_____1|SELECT City, CompanyName, ContactName, \"Customers\" AS "
             "[Relationship] \r\nFROM Customers\r\n",
             "5 |X7YZ_____2|SELECT City, CompanyName, ContactName, \"Suppliers\"\r\nFROM Suppliers",
             "11 ||City", "11 ||CompanyName"}),
     "SELECT City, CompanyName, ContactName, \"Customers\" AS [Relationship] \r\n"
     "FROM Customers\r\nUNION SELECT City, CompanyName, ContactName, \"Suppliers\"\r\n"
     "FROM Suppliers\r\nORDER BY City, CompanyName;\r\n"},
    {"Union_KindFromCatalogueWithoutOptionsIsUnionAll",
     Design("u", 128, {"5 |X7YZ_____1|SELECT a FROM t ", "5 |X7YZ_____2|SELECT a FROM s"}),
     "SELECT a FROM t UNION ALL SELECT a FROM s;\r\n"},
    {"Union_KindFromTypeRowBranchesInOrder",
     Design("u", 0, {"1:9", "3:3", "5 |X7YZ_____3|SELECT 3", "5 |X7YZ_____1|SELECT 1",
                     "5 |X7YZ_____2|SELECT 2 "}),
     "SELECT 1 UNION SELECT 2 UNION SELECT 3;\r\n"},
    {"Join_TwoJoinsJoined",
     Design("q", 0, {"5 T1", "5 T2", "5 T3", "5 T4", "7:1 T1|T2|a", "7:1 T3|T4|b", "7:1 T2|T3|c"}),
     "SELECT *\r\nFROM (T1 INNER JOIN T2 ON a) INNER JOIN (T3 INNER JOIN T4 ON b) ON c;\r\n"},
    {"Join_KeysCompareWithoutCase",
     Design("q", 0, {"5 Kunder", "5 \xC3\x84renden",
                     "7:2 KUNDER|\xC3\xA4RENDEN|Kunder.ID = \xC3\x84renden.Kund"}),
     "SELECT *\r\nFROM Kunder LEFT JOIN \xC3\x84renden ON Kunder.ID = \xC3\x84renden.Kund;\r\n"},
};

class QuerySql : public ::testing::TestWithParam<SqlCase> {};

TEST_P(QuerySql, RebuildsTheTextDaoGives) {
    const SqlCase& c = GetParam();
    try {
        EXPECT_EQ(BuildQuerySql(c.design, c.dialect), c.sql);
    } catch (const ErrorException& e) {
        ADD_FAILURE() << "error " << e.number() << ": " << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, QuerySql, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return info.param.name; });

// Order is compared as unsigned bytes, left to right, a prefix first.
TEST(QuerySqlRowOrder, SortsByUnsignedOrderBytes) {
    QueryDesign design = Design("q", 0, {"5 T"});
    const std::vector<std::pair<std::vector<std::uint8_t>, const char*>> columns = {
        {{0, 0, 1, 0}, "d"}, {{0x80}, "f"}, {{0, 0, 0, 0xFF}, "c"}, {{0x7F}, "e"}, {{0, 0}, "b"},
        {{0}, "a"}};
    for (const auto& [order, expression] : columns) {
        design.rows.push_back(testing_rows::ParseRow("6 ||"s + expression));
        design.rows.back().order = order;
    }
    EXPECT_EQ(BuildQuerySql(design, QueryDialect::Jet), "SELECT a, b, c, d, e, f\r\nFROM T;\r\n");
}

// Letters of any script, combining marks, digits and "_" pass; anything
// else, a leading digit or a reserved word gets brackets.
TEST(SqlIdentifier, BracketsOnlyWhatNeedsIt) {
    const std::pair<std::string, bool> cases[] = {
        {"Table2_1", false}, {"_x", false}, {"Years", false}, {"Some.Alias", true},
        {"%$##@_Alias", true}, {"tab\there", true}, {" lead", true}, {"1stQuarter", true},
        {"year", true}, {"AUTOINCREMENT", true}, {"Handl\xC3\xA4ggare", false},
        {"\xED\x95\x84\xEB\x93\x9C", false}, {"ID \xED\x95\x84\xEB\x93\x9C", true},  // Hangul
        {"\xD0\x97\xD0\xB0\xD0\xBA\xD0\xB0\xD0\xB7", false},  // Cyrillic
        {"Cafe\xCC\x81", false},  // a combining accent
        {"\xD9\xA3x", true}, {"x\xD9\xA3", false},  // Arabic-Indic digit
        {"price\xE2\x82\xAC", true}, {"bad\xFFutf8", true}, {"[Table2].[col1]", false},
        {"[]", false}, {"[open", true}};
    for (const auto& [name, bracketed] : cases) {
        std::string out = "prefix:";
        ASSERT_TRUE(TryBracketIdentifier(name, out)) << name;
        EXPECT_EQ(out, "prefix:" + (bracketed ? "[" + name + "]" : name)) << name;
    }
    for (const char* unwritable : {"", "]", "a]b"}) {
        std::string out;
        EXPECT_FALSE(TryBracketIdentifier(unwritable, out)) << unwritable;
    }
}

TEST(SqlIdentifier, ReservedWordsMatchWholeWordsWithoutCase) {
    for (const char* word : {"select", "ADD", "YesNo", "yesno", "AutoIncrement"}) {
        EXPECT_TRUE(IsJetReservedWord(word)) << word;
    }
    for (const char* word : {"Selection", "Name", "", "SELECT "}) {
        EXPECT_FALSE(IsJetReservedWord(word)) << word;
    }
}

}  // namespace
}  // namespace vt
