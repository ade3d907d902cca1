#include "cli/cli_app.h"

#include <sys/wait.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "dbaccess/schema_json.h"
#include "support/files.h"

namespace vt {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using ::testing::HasSubstr;

const fs::path kData = fs::path(VT_TEST_DATA_DIR) / "generator";

struct Result {
    int code;
    std::string out;
    std::string err;
};

Result RunTool(std::vector<std::string> args) {
    args.insert(args.begin(), "vellumtide-cli");
    std::vector<const char*> argv;
    for (const auto& a : args) {
        argv.push_back(a.c_str());
    }
    std::ostringstream out, err;
    const int code = RunCli(static_cast<int>(argv.size()), argv.data(), out, err);
    return {code, out.str(), err.str()};
}

class CliTest : public test::ScratchFolderTest {
protected:
    std::string Orders() const { return (kData / "orders.json").string(); }
};

TEST_F(CliTest, ListPrintsTaggedLinesAndOdbcNotices) {
    const Result r = RunTool({"list", Orders()});
    EXPECT_EQ(r.code, exit_code::kSuccess);
    EXPECT_EQ(r.out,
              "[Table        ]Customers\n[Table        ]Orders\n[TableAttached]Prices\n"
              "[TableODBC    ]Staff\n[TableHidden  ]Settings\n[Query        ]Current Orders\n"
              "[Query        ]UK Customers\n[Relation     ]CustomersOrders\n");
    EXPECT_EQ(r.err, "ODBC Tables are not supported at this time.\n");
}

TEST_F(CliTest, SchemaRoundTripIsLossless) {
    const Result first = RunTool({"schema", Orders()});
    ASSERT_EQ(first.code, exit_code::kSuccess);
    EXPECT_EQ(ReadSchemaJson(first.out), ReadSchemaJson(ReadFile(Orders())));
    { std::ofstream(Path("copy.json")) << first.out; }
    EXPECT_EQ(RunTool({"schema", Path("copy.json")}).out, first.out);
}

TEST_F(CliTest, BuildMatchesTheReviewedModulesForEveryOptionSet) {
    struct Case {
        std::vector<std::string> flags;
        const char* golden;
    };
    const Case cases[] = {
        {{}, "orders-low.bas"},
        {{"--comments", "high"}, "orders-high.bas"},
        {{"--no-common-code", "--no-encrypt", "--full-path"}, "orders-low-bare.bas"},
        {{"--comments", "high", "--no-common-code"}, "orders-high-bare.bas"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"build", Orders(), "-o", Path("orders.bas"), "--force"};
        args.insert(args.end(), c.flags.begin(), c.flags.end());
        const Result r = RunTool(args);
        EXPECT_EQ(r.code, exit_code::kSuccess) << c.golden << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err,
                  "ODBC Tables are not supported at this time.\nBuild Module complete.\n");
        EXPECT_EQ(ReadFile(Path("orders.bas")), ReadFile(kData / "golden" / c.golden)) << c.golden;
    }
    EXPECT_EQ(RunTool({"build", Orders(), "-o", Path("q.bas"), "--quiet"}).err, "");
}

TEST_F(CliTest, WhatCannotBeReCreatedIsReported) {
    const std::string database =
        (fs::path(VT_TEST_DATA_DIR) / "jet" / "mdb-reader" / "bigint.accdb").string();
    const std::string note =
        "Note: Table 'Table', field 'Numeric' has the Large Number type, which DAO cannot "
        "create; the module leaves it out.\n";
    for (const char* command : {"list", "schema"}) {
        const Result r = RunTool({command, database});
        EXPECT_EQ(r.code, 0) << command;
        EXPECT_THAT(r.err, HasSubstr(note)) << command;
    }
    const Result built = RunTool({"build", database, "-o", Path("b.bas")});
    EXPECT_THAT(built.err, HasSubstr(note));
    EXPECT_EQ(RunTool({"list", database, "--quiet"}).err, "");
}

TEST_F(CliTest, ADesignTooLargeForOneModuleIsWrittenAsSeveralAndEachIsNamed) {
    Schema big;
    big.info.path = "C:\\Data\\Big.mdb";
    for (int t = 0; t < 180; ++t) {  // about 62,000 lines
        TableDef table;
        table.name = "Table" + std::to_string(t);
        for (int f = 0; f < 40; ++f) {
            FieldDef field;
            field.name = "Field" + std::to_string(f);
            field.type = DaoType::kText;
            table.fields.push_back(field);
        }
        big.tableDefs.push_back(table);
    }
    { std::ofstream(Path("big.json")) << WriteSchemaJson(big); }
    const Result r = RunTool({"build", Path("big.json"), "-o", Path("Big.bas")});
    EXPECT_EQ(r.code, exit_code::kSuccess) << r.err;
    EXPECT_THAT(r.err, HasSubstr("Build Module complete.\nThe design needs 2 modules; add all of them to your project:\n" +
                                 Path("Big.bas") + "\n" + Path("Big_2.bas") + "\n"));
    EXPECT_THAT(ReadFile(Path("Big_2.bas")), HasSubstr("Attribute VB_Name = \"Big_2\"\r\n"));
}

TEST_F(CliTest, ExistingModuleNeedsForce) {
    const std::string module = Path("Orders.bas");
    { std::ofstream(module) << "keep me"; }
    const Result refused = RunTool({"build", Orders(), "-o", module});
    EXPECT_EQ(refused.code, exit_code::kModuleExists);
    EXPECT_THAT(refused.err, HasSubstr("already exists"));
    EXPECT_EQ(ReadFile(module), "keep me");
    EXPECT_EQ(RunTool({"build", Orders(), "-o", module, "--force"}).code, exit_code::kSuccess);
    EXPECT_THAT(ReadFile(module), HasSubstr("Attribute VB_Name = \"Orders\""));
}

TEST_F(CliTest, DatabasesThatCannotBeOpened) {
    { std::ofstream(Path("bad.json")) << "{\"format\": \"vellumtide-schema\", \"version\": 1}"; }
    { std::ofstream(Path("broken.json")) << "{ not json"; }
    { std::ofstream(Path("garbage.mdb"), std::ios::binary) << std::string(5000, '\x07'); }
    struct Case {
        std::string database;
        std::string message;
    };
    const Case cases[] = {
        {Path("missing.mdb"), "Error in OpenDatabase() <DAO.DBEngine> \n3024 : "},
        {Path("bad.json"), "3343 : '" + Path("bad.json") + "': Not a valid schema file: path is missing."},
        {Path("broken.json"), "broken.json': Not a valid schema file: it is not well-formed JSON"},
        {Path("garbage.mdb"), "Error in OpenDatabase() <DAO.DBEngine> \n"},
        {dir_.string(), "3343 : "},
    };
    for (const Case& c : cases) {
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{"list", c.database}, {"schema", c.database},
              {"build", c.database, "-o", Path("x.bas")}}) {
            const Result r = RunTool(args);
            EXPECT_EQ(r.code, exit_code::kOpenFailed) << args[0] << " " << c.database;
            EXPECT_THAT(r.err, HasSubstr(c.message)) << args[0] << " " << c.database;
            EXPECT_EQ(r.out, "");
        }
        EXPECT_FALSE(fs::exists(Path("x.bas")));
    }
}

TEST_F(CliTest, OutputsThatCannotBeWrittenFailTheBuild) {
    struct Case {
        std::string module;
        std::string number;
    };
    const Case cases[] = {
        {"/dev/full", "\n61 : "},
        {Path("no-folder/x.bas"), "\n76 : "},
        {dir_.string(), "\n75 : "},
        {"/sys/vellumtide-test.bas", "\n70 : "},
    };
    for (const Case& c : cases) {
        const Result r = RunTool({"build", Orders(), "-o", c.module});
        EXPECT_EQ(r.code, exit_code::kBuildFailed) << c.module;
        EXPECT_THAT(r.err, HasSubstr("Error in BuildModuleFile() <Vellumtide> " + c.number))
            << c.module;
        EXPECT_THAT(r.err, HasSubstr("Build Module completed with errors!\n"));
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 0);
}

TEST_F(CliTest, CodePageOption) {
    ASSERT_EQ(RunTool({"build", Orders(), "-o", Path("orders.bas"), "--codepage", "1251"}).code, 0);
    EXPECT_TRUE(ReadFile(Path("orders.bas")) == ReadFile(kData / "golden" / "orders-low.bas"))
        << "an ASCII design reads the same in every code page";
    const Result bad = RunTool({"build", Orders(), "-o", Path("b.bas"), "--codepage", "99999"});
    EXPECT_EQ(bad.code, exit_code::kUsage);
    EXPECT_THAT(bad.err, HasSubstr("Code page 99999 is not supported."));
}

TEST_F(CliTest, UsageErrors) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"frobnicate"},
        {"build", Orders()},
        {"build", Orders(), "-o", Path("x.bas"), "--comments", "medium"},
        {"build", Orders(), "-o", Path("x.bas"), "--codepage", "abc"},
        {"list"},
        {"list", Orders(), "--bogus"},
    };
    for (const auto& args : cases) {
        const Result r = RunTool(args);
        EXPECT_EQ(r.code, exit_code::kUsage) << ::testing::PrintToString(args);
        EXPECT_FALSE(r.err.empty());
    }
    EXPECT_FALSE(fs::exists(Path("x.bas")));
    const Result version = RunTool({"--version"});
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out, "vellumtide-cli 1.11.0\n");
    const Result help = RunTool({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_THAT(help.out, HasSubstr("build"));
}

// The installed program, end to end: exit codes reach the shell.
TEST_F(CliTest, ExecutableReportsExitCodes) {
    const std::string cli = VT_CLI_PATH;
    const std::string module = Path("m.bas");
    auto status = [&](const std::string& args) {
        const int raw = std::system((cli + " " + args + " >/dev/null 2>&1").c_str());
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    };
    EXPECT_EQ(status("build '" + Orders() + "' -o '" + module + "'"), 0);
    EXPECT_EQ(status("build '" + Orders() + "' -o '" + module + "'"), 4);
    EXPECT_EQ(status("build '" + Orders() + "' -o /dev/full"), 1);
    EXPECT_EQ(status("list '" + Path("none.mdb") + "'"), 3);
    EXPECT_EQ(status("list"), 2);
}

}  // namespace
}  // namespace vt
