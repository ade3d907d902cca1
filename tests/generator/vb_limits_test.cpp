// Modules Visual Basic accepts and runs to the end: no line over 1,023
// characters (long texts built in pieces that read back the same), the
// creation function cut into procedures and the design into modules past
// the bounds, and every module of the shared test files within them.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>

#include "dbaccess/open.h"
#include "support/fakes.h"
#include "support/vb_strings.h"

namespace vt {
namespace {

using ::testing::HasSubstr;
using Lines = std::vector<std::string>;

Schema Orders(int tables, int fields) {
    Schema s;
    s.info.path = "C:\\Data\\Orders.mdb";
    for (int t = 0; t < tables; ++t) {
        TableDef table;
        table.name = "T" + std::to_string(t);
        for (int f = 0; f < fields; ++f) {
            FieldDef field;
            field.name = "F" + std::to_string(f);
            field.type = DaoType::kLong;
            table.fields.push_back(field);
        }
        IndexDef key;
        key.name = "PrimaryKey";
        key.fields = {"F0"};
        table.indexes = {key};
        s.tableDefs.push_back(table);
    }
    s.queryDefs = {{"Q", "SELECT 1;"}};
    s.relations = {{"R", "T0", "T1", 0, {{"F0", "F1"}}}};
    return s;
}

std::size_t LongestLine(const std::string& bytes) {
    std::size_t longest = 0;
    for (const std::string& line : test::SplitLines(bytes)) {
        longest = std::max(longest, line.size());
    }
    return longest;
}

// The text the statement starting with `prefix` hands DAO, read back
// through the variables assigned before it.
std::string TextOf(const std::string& bytes, const std::string& prefix, const std::string& suffix) {
    const CodePage cp = CodePage::Open(1252);
    test::VbStrings vb(cp);
    for (const std::string& line : test::SplitLines(bytes)) {
        if (line.rfind(prefix, 0) == 0 && line.find("CreateDatabase") == std::string::npos) {
            return vb.Evaluate(line.substr(prefix.size(), line.size() - prefix.size() - suffix.size()));
        }
        if (line.find("zText") != std::string::npos && line.find("Dim ") == std::string::npos) {
            vb.Assign(line);
        }
    }
    ADD_FAILURE() << "no statement starts with " << prefix;
    return {};
}

TEST(LongTexts, AreBuiltInPiecesThatReadBackTheSame) {
    std::string sql = "SELECT ";
    for (int i = 0; sql.size() < 98824; ++i) {
        sql += "[T" + std::to_string(i) + "].\"x\"\r\n\t Caf\xC3\xA9 \xD0\x96 \xF0\x9F\x98\x80 ";
    }
    const std::string rule(2000, 'r');
    std::string wide;
    for (int i = 0; i < 100; ++i) {
        wide += "\xE6\x97\xA5";  // one ChrW(n) each in a Western module
    }
    struct Case {
        const char* what;
        std::function<void(Schema&)> set;
        std::string prefix, suffix, text;
    };
    const Case cases[] = {
        {"query SQL", [&](Schema& s) { s.queryDefs = {{"Long", sql}}; },
         "    Set myQuery = OrdersDB.CreateQueryDef(\"Long\", ", ")", sql},
        {"validation rule", [&](Schema& s) { s.tableDefs[0].fields[0].validationRule = rule; },
         "        .fdValidationRule = ", "", rule},
        {"table name", [&](Schema& s) { s.tableDefs[0].name = wide; },
         "    Set myTable = OrdersDB.CreateTableDef(", ")", wide},
        {"error report", [&](Schema& s) { s.tableDefs[0].name = wide; },
         "        DisplayError ", "", "CreateOrdersDB().CreateTable: " + wide},
        {"pass-through SQL",
         [&](Schema& s) {
             s.queryDefs = {{"P", sql}};
             s.queryDefs[0].type = query_type::kPassThrough;
         },
         "    myQuery.SQL = ", "", sql},
    };
    for (const Case& c : cases) {
        Schema s = Orders(2, 2);
        c.set(s);
        const auto built = test::BuildToMemory(SchemaDatabase(s), {.commonCode = false});
        ASSERT_FALSE(built.failed) << c.what;
        EXPECT_LE(LongestLine(built.bytes), 1023u) << c.what;
        const std::string text = TextOf(built.bytes, c.prefix, c.suffix);
        EXPECT_TRUE(text == c.text) << c.what << ": " << text.size() << " bytes read back of " << c.text.size();
        EXPECT_THAT(built.bytes, HasSubstr("    Dim zText as String\r\n")) << c.what;
    }
}

// The statements of the creation function with the lines that only cut it
// into procedures and modules taken out: what the run does, in order.
Lines Statements(const std::vector<std::string>& modules) {
    static const std::regex structural(
        "^(Public|Private) Function .*|^End Function|^    Create\\w+ = (True|False)|^    If Create\\w+\\(.*\\) Then "
        "Exit Function|^    \\w+DB\\.Close|^    Dim \\w+ as \\w+|^    On Error Resume Next|^    Init\\w+ z\\w+|"
        "^    z(Index|Relation)\\.\\w+Initialized = (True|False)|^ *'.*|^$");
    Lines result;
    for (const std::string& module : modules) {
        const Lines lines = test::SplitLines(module);
        auto line = std::find(lines.begin(), lines.end(), "Public Function CreateOrdersDB() as Boolean");
        if (line == lines.end()) {
            line = std::find_if(lines.begin(), lines.end(),
                                [](const std::string& l) { return l.rfind("Public Function Create", 0) == 0; });
        }
        for (; line != lines.end(); ++line) {
            if (!std::regex_match(*line, structural)) {
                result.push_back(*line);
            }
        }
    }
    return result;
}

// Each procedure's length, from its head to its End Function.
std::vector<std::size_t> ProcedureLengths(const std::string& module) {
    std::vector<std::size_t> lengths;
    std::size_t start = 0;
    const Lines lines = test::SplitLines(module);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].find(" Function Create") != std::string::npos && lines[i].rfind("End", 0) != 0) {
            start = i;
        } else if (lines[i] == "End Function") {
            lengths.push_back(i - start + 1);
        }
    }
    return lengths;
}

TEST(Splitting, ProceduresAndModulesRunTheSameStatementsInOrder) {
    const SchemaDatabase db(Orders(6, 8));
    const auto whole = test::BuildToMemory(db, {.high = true});
    struct Case {
        RunLimits limits;
        bool severalModules;
    };
    for (const Case& c : {Case{{60, 1000000}, false}, Case{{60, 400}, true}}) {
        const auto split = test::BuildToMemory(db, {.high = true, .limits = c.limits});
        ASSERT_FALSE(split.failed);
        std::vector<std::string> modules{split.bytes};
        for (const auto& [path, bytes] : split.more) {
            modules.push_back(bytes);
        }
        ASSERT_EQ(modules.size() > 1, c.severalModules);
        const Lines expected = Statements({whole.bytes});
        const Lines actual = Statements(modules);
        const auto differ = std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
        EXPECT_TRUE(differ.first == actual.end() && differ.second == expected.end())
            << "first difference after " << differ.first - actual.begin() << " statements: "
            << (differ.first == actual.end() ? "(end)" : *differ.first) << " | "
            << (differ.second == expected.end() ? "(end)" : *differ.second);
        for (std::size_t m = 0; m < modules.size(); ++m) {
            for (const std::size_t length : ProcedureLengths(modules[m])) {
                EXPECT_LE(length, 60u + 30u) << "a procedure of module " << m + 1;
            }
        }
        EXPECT_THAT(split.bytes, HasSubstr("    If CreateOrdersDB_2(myTable, zField, zIndex, zRelation) Then Exit Function\r\n"
                                           "    OrdersDB.Close\r\n    CreateOrdersDB = False\r\nEnd Function\r\n"));
        EXPECT_THAT(split.bytes, HasSubstr("Private Function CreateOrdersDB_2(myTable as TableDef, zField as "
                                           "FieldDesign, zIndex as IndexDesign, zRelation as RelationDesign) as Boolean\r\n"));
    }
}

TEST(Splitting, EachFurtherModuleIsNamedAfterItsFileAndStandsAlone) {
    const auto split = test::BuildToMemory(SchemaDatabase(Orders(6, 8)),
                                           {.modulePath = "/w/my.schema.bas", .limits = {60, 400}});
    ASSERT_FALSE(split.failed);
    ASSERT_GT(split.written.size(), 2u);
    ASSERT_EQ(split.written.size(), split.more.size() + 1);
    EXPECT_EQ(split.written[0], "/w/my.schema.bas");
    for (std::size_t k = 2; k <= split.written.size(); ++k) {
        EXPECT_EQ(split.written[k - 1], "/w/my_" + std::to_string(k) + ".schema.bas");
        const std::string name = "my_" + std::to_string(k);
        const Lines lines = test::SplitLines(split.more.at("/w/" + name + ".schema.bas"));
        EXPECT_EQ(lines[0], "Attribute VB_Name = \"" + name + "\"");
        EXPECT_EQ(lines[1], "' " + name + ".bas");
        EXPECT_TRUE(std::count(lines.begin(), lines.end(), "Private Sub CreateField(oTableName As TableDef, zFieldInfo As FieldDesign)"));
        EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                                [](const std::string& l) { return l.rfind("Public Function CreateOrdersDB_", 0) == 0; }),
                  1);
        EXPECT_EQ(std::count(lines.begin(), lines.end(), "Public OrdersDB as Database"), 0);
    }
}

// Every module of every shared test database stays within the limits, with
// and without the full design.
TEST(Splitting, SharedTestDatabasesStayWithinTheLimits) {
    const std::filesystem::path root = VT_SHARED_TESTDATA_DIR;
    if (!std::filesystem::exists(root)) {
        GTEST_SKIP() << "no shared test data at " << root;
    }
    int checked = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        const std::string ext = entry.path().extension().string();
        if (ext != ".mdb" && ext != ".accdb") {
            continue;
        }
        std::unique_ptr<Database> db;
        for (const char* password : {"", "password", "ucanaccess", "Test123", "1234"}) {
            try {
                db = OpenDatabaseFile(entry.path().string(),
                                      OpenOptions{*password ? std::optional<std::string>(password) : std::nullopt});
                break;
            } catch (const ErrorException&) {
            }
        }
        if (!db) {
            continue;
        }
        for (const auto& [high, fullDesign] : {std::pair{false, false}, {true, false}, {true, true}}) {
            const auto built = test::BuildToMemory(*db, {.high = high, .fullDesign = fullDesign});
            ASSERT_FALSE(built.failed) << entry.path();
            std::vector<std::string> modules{built.bytes};
            for (const auto& [path, bytes] : built.more) {
                modules.push_back(bytes);
            }
            for (const std::string& module : modules) {
                EXPECT_LE(LongestLine(module), 1023u) << entry.path();
                EXPECT_LE(test::SplitLines(module).size(), 65534u) << entry.path();
                for (const std::size_t length : ProcedureLengths(module)) {
                    EXPECT_LE(length, RunLimits{}.procedureLines + 100) << entry.path();
                }
            }
        }
        ++checked;
    }
    EXPECT_GT(checked, 100);
}

}  // namespace
}  // namespace vt
