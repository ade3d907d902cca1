#include "cli/cli_app.h"

#include <sys/wait.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "dbaccess/schema_json.h"
#include "support/files.h"
#include "vellumtide_version.h"

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
    EXPECT_EQ(r.err, "vellumtide-cli: ODBC Tables are not supported at this time.\n");
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
                  "vellumtide-cli: ODBC Tables are not supported at this time.\n"
                  "vellumtide-cli: Build Module complete.\n");
        EXPECT_EQ(ReadFile(Path("orders.bas")), ReadFile(kData / "golden" / c.golden)) << c.golden;
    }
    EXPECT_EQ(RunTool({"build", Orders(), "-o", Path("q.bas"), "--quiet"}).err, "");
    // The full design re-creates ODBC links, so it has nothing to warn of.
    EXPECT_EQ(RunTool({"build", Orders(), "-o", Path("f.bas"), "--full-design"}).err,
              "vellumtide-cli: Build Module complete.\n");
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
    const Result full = RunTool({"build", database, "-o", Path("f.bas"), "--full-design"});
    EXPECT_THAT(full.err, HasSubstr("vellumtide-cli: Note: Property 'GUID' is left out of 2 objects: "
                                    "Access and the engine keep it for the source's own objects.\n"));
    EXPECT_EQ(RunTool({"build", database, "-o", Path("q.bas"), "--full-design", "--quiet"}).err, "");
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
        {Path("missing.mdb"), "vellumtide-cli: Error in OpenDatabase() <DAO.DBEngine>\n3024 : "},
        {Path("bad.json"), "3343 : '" + Path("bad.json") + "': Not a valid schema file: path is missing."},
        {Path("broken.json"), "broken.json': Not a valid schema file: it is not well-formed JSON"},
        {Path("garbage.mdb"), "vellumtide-cli: Error in OpenDatabase() <DAO.DBEngine>\n3343 : "},
        {dir_.string(), "3343 : "},
    };
    for (const Case& c : cases) {
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{"list", c.database}, {"schema", c.database},
              {"build", c.database, "-o", Path("x.bas")}}) {
            const Result r = RunTool(args);
            EXPECT_EQ(r.code, exit_code::kOpenFailed) << args[0] << " " << c.database;
            EXPECT_THAT(r.err, HasSubstr(c.message)) << args[0] << " " << c.database;
            EXPECT_THAT(r.err, HasSubstr(c.database)) << args[0] << ": the message names the file";
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
        EXPECT_THAT(r.err, HasSubstr("Error in BuildModuleFile() <Vellumtide>" + c.number))
            << c.module;
        EXPECT_THAT(r.err, HasSubstr("Build Module completed with errors!\n"));
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 0);
}

TEST_F(CliTest, CodePageOption) {
    ASSERT_EQ(RunTool({"build", Orders(), "-o", Path("orders.bas"), "--codepage", "1251"}).code, 0);
    EXPECT_TRUE(ReadFile(Path("orders.bas")) == ReadFile(kData / "golden" / "orders-low.bas"))
        << "an ASCII design reads the same in every code page";
    const Result bad = RunTool({"build", Orders(), "-o", Path("b.bas"), "--codepage", "12345"});
    EXPECT_EQ(bad.code, exit_code::kUsage);
    EXPECT_EQ(bad.err, "vellumtide-cli: Code page 12345 is not supported.\n"
                       "Run 'vellumtide-cli help build' for usage.\n");
}

// Usage errors: exit code 2, the tool's name first, the nearest command
// for a slip, and the help to read: the subcommand's for an error inside it.
TEST_F(CliTest, UsageErrorsSayWhatIsWrongAndWhereTheHelpIs) {
    const std::string o = Path("x.bas"), a = Path("a.json");
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{}, "A subcommand is required\nRun 'vellumtide-cli --help' for usage.\n"},
        {{"biuld"}, "'biuld' is not a command. Did you mean 'build'?\n"
                    "Run 'vellumtide-cli --help' for usage.\n"},
        {{"frobnicate", "x"}, "'frobnicate' is not a command.\nRun 'vellumtide-cli --help'"},
        {{"help", "lits"}, "'lits' is not a command. Did you mean 'list'?\n"},
        {{"build", Orders()}, "Give -o MODULE, or --output-dir DIR.\n"
                              "Run 'vellumtide-cli help build' for usage.\n"},
        {{"build", Orders(), "-o", o, "--comments", "medium"}, "help build' for usage.\n"},
        {{"build", Orders(), "-o", o, "--codepage", "abc"},
         "--codepage: must be a whole number from 1 to 65535, not 'abc'\n"},
        {{"build", Orders(), "-o", o, "--codepage", "0"}, "from 1 to 65535, not 0\n"},
        {{"build", Orders(), "-o", o, "--codepage", "99999"}, "from 1 to 65535, not 99999\n"},
        {{"build", Orders(), a, "-o", o}, "-o names one module; for several databases give"},
        {{"build", Orders(), "--output-dir", dir_.string(), "--name", "X"}, "--name cannot"},
        {{"build", Orders(), "x/orders.mdb", "--output-dir", dir_.string()},
         "Two databases would both write orders.bas.\n"},
        {{"build", "-", "--output-dir", dir_.string()}, "has no file name to name a module"},
        {{"build", "-", "-o", o, "--password-stdin"}, "both read standard input.\n"},
        {{"list", "-", "-"}, "help list' for usage.\n"},
        {{"list"}, "help list' for usage.\n"},
        {{"list", Orders(), "--bogus"}, "--bogus\nRun 'vellumtide-cli help list' for usage.\n"},
    };
    for (const auto& [args, message] : cases) {
        const Result r = RunTool(args);
        EXPECT_EQ(r.code, exit_code::kUsage) << ::testing::PrintToString(args);
        EXPECT_THAT(r.err, ::testing::StartsWith("vellumtide-cli: "));
        EXPECT_THAT(r.err, HasSubstr(message)) << ::testing::PrintToString(args);
        EXPECT_THAT(r.err, ::testing::Not(::testing::ContainsRegex(" \n")));
    }
    EXPECT_FALSE(fs::exists(Path("x.bas")));
}

TEST_F(CliTest, HelpAndVersion) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--version"}, "vellumtide-cli " VELLUMTIDE_VERSION "\n"},
        {{"--help"}, "Subcommands:"}, {{"help"}, "Subcommands:"},
        {{"help", "build"}, "--output-dir"}, {{"build", "--help"}, "--module-path"},
        {{"help", "list"}, "DATABASE"}};
    for (const auto& [args, shown] : cases) {
        const Result r = RunTool(args);
        EXPECT_EQ(r.code, 0) << args[0];
        EXPECT_THAT(r.out, HasSubstr(shown)) << ::testing::PrintToString(args);
        EXPECT_EQ(r.err, "");
    }
    EXPECT_THAT(RunTool({"help", "list"}).out, ::testing::Not(HasSubstr("--output-dir")));
}

// `-o -` writes the module to standard output, named by --name or else
// after the database; --module-path is the path coded, as it is.
TEST_F(CliTest, ModuleToStandardOutputAndTheCodedPath) {
    const std::string golden = ReadFile(kData / "golden" / "orders-low.bas");
    const Result named = RunTool({"build", Orders(), "-o", "-", "--name", "orders", "-q"});
    EXPECT_EQ(named.code, 0) << named.err;
    EXPECT_TRUE(named.out == golden);
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{}, "Attribute VB_Name = \"Orders\"\r\n"},
        {{"--module-path", "D:\\Shop\\Sales.mdb"}, "CreateDatabase(\"D:\\Shop\\Sales.mdb\""},
        {{"--module-path", "Sales.mdb", "--full-path"}, "CreateDatabase(\"Sales.mdb\""}};
    for (const auto& [flags, piece] : cases) {
        std::vector<std::string> args = {"build", Orders(), "-o", "-"};
        args.insert(args.end(), flags.begin(), flags.end());
        const Result r = RunTool(args);
        EXPECT_EQ(r.code, 0) << r.err;
        EXPECT_THAT(r.out, HasSubstr(piece));
        EXPECT_THAT(r.out, HasSubstr("Set OrdersDB = CreateDatabase"));
    }
}

// Several databases into one folder: each module named after its
// database, every one tried, the first failure's code, each failure named.
TEST_F(CliTest, BuildsSeveralDatabasesIntoAFolder) {
    fs::create_directories(Path("out"));
    fs::copy_file(Orders(), Path("Shop.json"));
    { std::ofstream(Path("out/Kept.bas")) << "keep"; }
    const Result r = RunTool({"build", Orders(), Path("missing.mdb"), Path("Kept.mdb"),
                              Path("Shop.json"), "--output-dir", Path("out"), "-q"});
    EXPECT_EQ(r.code, exit_code::kOpenFailed);
    EXPECT_THAT(r.err, HasSubstr("vellumtide-cli: Not built:\n" + Path("missing.mdb") + "\n" +
                                 Path("Kept.mdb") + "\n"));
    EXPECT_TRUE(ReadFile(Path("out/orders.bas")) == ReadFile(kData / "golden" / "orders-low.bas"));
    EXPECT_THAT(ReadFile(Path("out/Shop.bas")), HasSubstr("Attribute VB_Name = \"Shop\""));
    EXPECT_EQ(ReadFile(Path("out/Kept.bas")), "keep");
    EXPECT_EQ(RunTool({"build", Orders(), "--output-dir", Path("out"), "-q", "--force"}).code, 0);
}

// A listing that cannot reach standard output fails, and says so.
TEST_F(CliTest, ListingsFailWhenStandardOutputCannotBeWritten) {
    struct Full : std::streambuf {
        int_type overflow(int_type) override { return traits_type::eof(); }
    } full;
    for (const char* command : {"list", "schema"}) {
        std::ostream out(&full);
        std::ostringstream err;
        const std::string orders = Orders();
        const char* args[] = {"vellumtide-cli", command, orders.c_str(), "-q"};
        EXPECT_EQ(RunCli(4, args, out, err), exit_code::kOutputFailed) << command;
        EXPECT_EQ(err.str(), "vellumtide-cli: Cannot write to standard output.\n");
    }
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
    const int full = std::system((cli + " list '" + Orders() + "' -q >/dev/full").c_str());
    EXPECT_EQ(WIFEXITED(full) ? WEXITSTATUS(full) : -1, 1);
}

}  // namespace
}  // namespace vt
