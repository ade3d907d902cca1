// The reader hands every stored query its rebuilt SQL text, and a query
// whose design gives no SQL fails only where its text is read.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "dbaccess/catalogue.h"
#include "dbaccess/jet/jet_reader.h"
#include "dbaccess/open.h"

namespace vt {
namespace {

using ::testing::HasSubstr;

TEST(QuerySqlFromReader, EveryQueryOfAFileGetsItsText) {
    const auto path =
        std::filesystem::path(VT_TEST_DATA_DIR) / "jet" / "jackcess" / "queryTestV1997.mdb";
    const auto db = OpenDatabaseFile(path.string());
    ASSERT_EQ(db->QueryDefCount(), 9u);
    for (std::size_t i = 0; i < db->QueryDefCount(); ++i) {
        EXPECT_FALSE(db->QueryDefAt(i).sql.empty()) << db->QueryDefAt(i).name;
    }
    const QueryDef select = db->QueryDefAt(6);
    EXPECT_EQ(select.name, "SelectQuery");
    EXPECT_EQ(select.sql,
              "SELECT DISTINCT Table1.*, Table2.col1, Table2.col2, Table3.col3\r\n"
              "FROM (Table1 LEFT JOIN Table3 ON Table1.col1 = Table3.col1) INNER JOIN Table2 ON "
              "(Table3.col1 = Table2.col2) AND (Table3.col1 = Table2.col1)\r\n"
              "WHERE (((Table2.col2)=\"foo\" Or (Table2.col2) In (\"buzz\",\"bazz\")))\r\n"
              "ORDER BY Table2.col1;\r\n");
    EXPECT_EQ(db->QueryDefAt(2).sql, "CREATE TABLE Table5 (col1 CHAR, col2 CHAR);");
}

TEST(QuerySqlFromReader, BrokenDesignFailsOnlyWhereItsTextIsRead) {
    Schema schema;
    schema.queryDefs = {{"Good", "SELECT 1;\r\n"}, {"Broken", ""}};
    jet::Details details;
    details.querySqlErrors = {std::nullopt,
                              ErrorRecord{3049, "The stored design of query 'Broken' is bad.",
                                          kEngineSource}};
    const jet::JetDatabase db(schema, details);
    const auto lines = ListCatalogue(db);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].text, "[Query        ]Broken");
    EXPECT_EQ(db.QueryDefAt(0).sql, "SELECT 1;\r\n");
    try {
        db.QueryDefAt(1);
        ADD_FAILURE() << "the broken query's text was read";
    } catch (const ErrorException& e) {
        EXPECT_EQ(e.number(), 3049);
        EXPECT_THAT(e.record().description, HasSubstr("'Broken'"));
    }
}

}  // namespace
}  // namespace vt
