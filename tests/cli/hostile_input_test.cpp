// Inputs that must fail clearly and quickly, and builds that must leave
// nothing behind however they end.

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "dbaccess/schema_json.h"
#include "support/files.h"

namespace vt {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

const std::string kCli = VT_CLI_PATH;

struct ToolRun {
    int code;
    std::string err;
};

// Runs the tool with `input` on standard input; stderr captured.
ToolRun Tool(const std::string& args, const std::string& dir, const std::string& input = "") {
    const std::string in = dir + "/stdin", err = dir + "/stderr";
    { std::ofstream(in, std::ios::binary) << input; }
    const int raw = std::system(("timeout 20 " + kCli + " " + args + " <'" + in + "' >/dev/null 2>'" + err + "'").c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, test::ReadFile(err)};
}

class HostileInput : public test::ScratchFolderTest {};

TEST_F(HostileInput, SchemaFilesAndPathsThatAreNotDatabasesFailClearly) {
    const std::string schemaStart =
        R"({"format":"vellumtide-schema","version":1,"codePage":1252,"collatingOrder":1033,)";
    ::mkfifo(Path("fifo").c_str(), 0600);
    struct Case {
        const char* what;
        std::string file;      // written to the scratch folder as `name`
        std::string name;
        std::string command;   // {} stands for the file's path
        int code;
        std::string message;
    };
    const Case cases[] = {
        {"deep nesting", std::string(100000, '[') + std::string(100000, ']'), "deep.json", "list {}", 3,
         "nests deeper than 32 levels"},
        {"text after a NUL", R"({"format":"vellumtide-schema"})" + std::string(1, '\0') + "garbage", "nul.json",
         "schema {}", 3, "holds a NUL character"},
        {"a path that cannot be split",
         schemaStart + R"("path":")" + std::string(300, 'a') + R"(","tableDefs":[],"queryDefs":[],"relations":[]})",
         "long.json", "build {} -o " + Path("m.bas"), 1, "Build Module completed with errors!"},
        {"a FIFO", "", "fifo", "list {}", 3, "is not a regular file"},
    };
    for (const Case& c : cases) {
        if (!c.file.empty()) {
            std::ofstream(Path(c.name), std::ios::binary) << c.file;
        }
        const auto start = std::chrono::steady_clock::now();
        std::string command = c.command;
        command.replace(command.find("{}"), 2, "'" + Path(c.name) + "'");
        const ToolRun r = Tool(command, dir_.string());
        EXPECT_EQ(r.code, c.code) << c.what << ": " << r.err;
        EXPECT_THAT(r.err, HasSubstr(c.message)) << c.what;
        if (c.code == 3) {
            EXPECT_THAT(r.err, HasSubstr(Path(c.name))) << c.what << ": the message names the file";
        }
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15)) << c.what;
    }
    EXPECT_FALSE(fs::exists(Path("m.bas")));
}

TEST_F(HostileInput, AFileOnStandardInputIsReadWhole) {
    const std::string schema = test::ReadFile(fs::path(VT_TEST_DATA_DIR) / "generator" / "orders.json");
    const ToolRun r = Tool("build - -o '" + Path("orders.bas") + "' -q", dir_.string(), schema);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(test::ReadFile(Path("orders.bas")) ==
                test::ReadFile(fs::path(VT_TEST_DATA_DIR) / "generator" / "golden" / "orders-low.bas"));
}

// A build stopped by any signal leaves the previous module as it was, or a
// complete new one, and nothing else.
TEST_F(HostileInput, AnInterruptedBuildLeavesNothingBehind) {
    Schema big;
    big.info.path = "C:\\Data\\Big.mdb";
    for (int t = 0; t < 200; ++t) {
        TableDef table;
        table.name = "T" + std::to_string(t);
        for (int f = 0; f < 30; ++f) {
            FieldDef field;
            field.name = "F" + std::to_string(f);
            field.type = DaoType::kText;
            field.validationRule = std::string(300, 'v');
            table.fields.push_back(field);
        }
        big.tableDefs.push_back(table);
    }
    const fs::path out = dir_ / "out";
    fs::create_directories(out);
    { std::ofstream(dir_ / "big.json") << WriteSchemaJson(big); }
    const std::string previous = "the previous module\r\n";
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE, SIGKILL}) {
        { std::ofstream(out / "Big.bas", std::ios::binary) << previous; }
        const pid_t child = ::fork();
        if (child == 0) {
            ::execl(kCli.c_str(), kCli.c_str(), "build", (dir_ / "big.json").c_str(), "-o",
                    (out / "Big.bas").c_str(), "--force", "-q", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        ::kill(child, signal);
        int status = 0;
        ::waitpid(child, &status, 0);
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(out)) {
            names.push_back(entry.path().filename().string());
        }
        EXPECT_EQ(names, std::vector<std::string>{"Big.bas"}) << "signal " << signal;
        const std::string module = test::ReadFile(out / "Big.bas");
        EXPECT_TRUE(module == previous || module.ends_with("End Function\r\n")) << "signal " << signal;
    }
}

}  // namespace
}  // namespace vt
