// Every stored query of every database in the shared test data, as the Jet
// reader gives its rows: each rebuilds without error, and the queries whose
// DAO text is known come out byte for byte. Skipped when the data is absent.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "common/error.h"
#include "dbaccess/jet/jet_reader.h"
#include "dbaccess/query/query_sql.h"

namespace vt {
namespace {

namespace fs = std::filesystem;

std::unique_ptr<jet::JetDatabase> TryRead(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<std::uint8_t> data((std::istreambuf_iterator<char>(in)),
                                         std::istreambuf_iterator<char>());
    // Passwords of the protected samples, as their projects' tests use them.
    for (const std::optional<std::string>& password :
         {std::optional<std::string>(), std::optional<std::string>("password"),
          std::optional<std::string>("ucanaccess")}) {
        try {
            return jet::ReadJetDatabase(data.data(), data.size(), path.string(), password);
        } catch (const ErrorException&) {
            // Files the reader refuses are its own tests' concern.
        }
    }
    return nullptr;
}

// The Jackcess query test files (Jet3 and Jet4 copies hold the same rows).
const std::map<std::string, std::string>& KnownJetTexts() {
    static const std::map<std::string, std::string> texts{
        {"SelectQuery",
         "SELECT DISTINCT Table1.*, Table2.col1, Table2.col2, Table3.col3\r\n"
         "FROM (Table1 LEFT JOIN Table3 ON Table1.col1 = Table3.col1) INNER JOIN Table2 ON "
         "(Table3.col1 = Table2.col2) AND (Table3.col1 = Table2.col1)\r\n"
         "WHERE (((Table2.col2)=\"foo\" Or (Table2.col2) In (\"buzz\",\"bazz\")))\r\n"
         "ORDER BY Table2.col1;\r\n"},
        {"DeleteQuery",
         "DELETE Table1.col1, Table1.col2, Table1.col3\r\nFROM Table1\r\n"
         "WHERE (((Table1.col1)>\"blah\"));\r\n"},
        {"AppendQuery",
         "INSERT INTO Table3 ( col2, col2, col3 )\r\n"
         "SELECT [Table1].[col2], [Table2].[col2], [Table2].[col3]\r\n"
         "FROM Table3, Table1 INNER JOIN Table2 ON [Table1].[col1]=[Table2].[col1];\r\n"},
        {"UpdateQuery",
         "PARAMETERS [User Name] Text;\r\n"
         "UPDATE Table1 SET Table1.col1 = \"foo\", Table1.col2 = [Table2].[col3], "
         "[Table2].[col1] = [User Name]\r\nWHERE ((([Table2].[col1]) Is Not Null));\r\n"},
        {"MakeTableQuery",
         "SELECT Max(Table2.col1) AS MaxOfcol1, Table2.col2, Table3.col2 INTO Table4\r\n"
         "FROM (Table2 INNER JOIN Table1 ON Table2.col1 = Table1.col2) RIGHT JOIN Table3 ON "
         "Table1.col2 = Table3.col3\r\nGROUP BY Table2.col2, Table3.col2\r\n"
         "HAVING (((Max(Table2.col1))=\"buzz\") AND ((Table2.col2)<>\"blah\"));\r\n"},
        {"CrosstabQuery",
         "TRANSFORM Count([Table2].[col2]) AS CountOfcol2\r\n"
         "SELECT Table2_1.col1, [Table2].[col3], Avg(Table2_1.col2) AS AvgOfcol2\r\n"
         "FROM (Table1 INNER JOIN Table2 ON [Table1].[col1]=[Table2].[col1]) INNER JOIN Table2 "
         "AS Table2_1 ON [Table2].[col1]=Table2_1.col3\r\n"
         "WHERE ((([Table1].[col1])>\"10\") And ((Table2_1.col1) Is Not Null) And "
         "((Avg(Table2_1.col2))>\"10\"))\r\n"
         "GROUP BY Table2_1.col1, [Table2].[col3]\r\nORDER BY [Table2].[col3]\r\n"
         "PIVOT [Table1].[col1];\r\n"},
        {"UnionQuery",
         "Select Table1.col1, Table1.col2\r\nwhere Table1.col1 = \"foo\"\r\nUNION\r\n"
         "Select Table2.col1, Table2.col2\r\nUNION ALL Select Table3.col1, Table3.col2\r\n"
         "where Table3.col3 > \"blah\";\r\n"},
        {"PassthroughQuery", "ALTER TABLE Table4 DROP COLUMN col5;"},
        {"DataDefinitionQuery", "CREATE TABLE Table5 (col1 CHAR, col2 CHAR);"},
    };
    return texts;
}

TEST(QuerySqlSweep, EveryStoredQueryRebuilds) {
    const fs::path root = VT_SHARED_TESTDATA_DIR;
    if (!fs::is_directory(root)) {
        GTEST_SKIP() << "shared test data not present at " << root;
    }
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        std::string ext = entry.path().extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (entry.is_regular_file() && (ext == ".mdb" || ext == ".accdb")) {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());

    int built = 0;
    int compared = 0;
    for (const fs::path& file : files) {
        const auto db = TryRead(file);
        if (!db) {
            continue;
        }
        const bool ace = db->Info().engine.rfind("ACE", 0) == 0;
        const bool knownFile = file.filename().string().rfind("queryTestV", 0) == 0;
        for (const QueryDesign& design : db->details().queries) {
            std::string sql;
            try {
                sql = BuildQuerySql(design, ace ? QueryDialect::Ace : QueryDialect::Jet);
                ++built;
            } catch (const ErrorException& e) {
                ADD_FAILURE() << file << ": " << e.what();
                continue;
            }
            if (std::getenv("VT_QUERY_SQL_DUMP")) {
                std::printf("== %s | %s\n%s\n", file.filename().string().c_str(),
                            design.name.c_str(), sql.c_str());
            }
            const auto known = KnownJetTexts().find(design.name);
            if (knownFile && known != KnownJetTexts().end()) {
                EXPECT_EQ(sql, known->second) << file << ": " << design.name;
                ++compared;
            }
        }
    }
    std::printf("rebuilt %d stored queries from %zu files; %d compared with known text\n", built,
                files.size(), compared);
    // The data holds well over a hundred queries, nine in each query test file.
    EXPECT_GT(built, 100);
    EXPECT_GE(compared, 27);
}

}  // namespace
}  // namespace vt
