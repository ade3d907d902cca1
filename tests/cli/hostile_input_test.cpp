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
#include <tuple>

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

// Runs the tool with `input` on standard input, after the shell commands `before`; stderr captured.
ToolRun Tool(const std::string& args, const std::string& dir, const std::string& input = "",
             const std::string& before = "") {
    const std::string in = dir + "/stdin", err = dir + "/stderr";
    { std::ofstream(in, std::ios::binary) << input; }
    const int raw = std::system((before + "timeout 20 " + kCli + " " + args + " <'" + in + "' >/dev/null 2>'" + err + "'").c_str());
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

// A damaged catalogue fails the open; a table whose definition is damaged is noted and fails
// the build, which writes nothing. Each message names the file.
TEST_F(HostileInput, DamagedFilesFailNamingTheFile) {
    const std::tuple<const char*, int, const char*> cases[] = {
        {"tables-container-id.mdb", 3, "is damaged and cannot be read"},
        {"table-definition.mdb", 1, "Note: Table 'Table1' cannot be read"},
    };
    for (const auto& [name, code, message] : cases) {
        const std::string database = std::string(VT_TEST_DATA_DIR) + "/jet/damaged/" + name;
        const ToolRun r = Tool("build '" + database + "' -o '" + Path("m.bas") + "'", dir_.string());
        EXPECT_EQ(r.code, code) << name << ": " << r.err;
        EXPECT_THAT(r.err, HasSubstr(message)) << name;
        EXPECT_THAT(r.err, HasSubstr("3049 : ")) << name;
        EXPECT_THAT(r.err, HasSubstr("'" + database + "'")) << name;
        EXPECT_EQ(r.code == 1, r.err.find("Build Module completed with errors!") != std::string::npos) << name;
        EXPECT_FALSE(fs::exists(Path("m.bas"))) << name;
    }
}

// Files of 4 GiB and more, holes after a real database, are read page by page within a
// memory limit far below their size; one larger than any database can be is refused, saying so.
TEST_F(HostileInput, HugeFilesAreReadWithinAMemoryLimitOrRefusedSayingWhy) {
#if defined(__SANITIZE_ADDRESS__)
    const std::string limit;  // the sanitizer reserves far more address space than any limit
#else
    const std::string limit = "ulimit -v 1048576; ";
#endif
    const std::tuple<std::uintmax_t, int, const char*> cases[] = {
        {4ull << 30, 0, ""},
        {5ull << 30, 0, ""},
        {40ull << 30, 3, "the file is larger than any database can be"},  // 2 KiB pages
    };
    for (const auto& [size, code, message] : cases) {
        fs::copy_file(std::string(VT_TEST_DATA_DIR) + "/jet/jackcess/indexTestV1997.mdb", Path("huge.mdb"),
                      fs::copy_options::overwrite_existing);
        fs::resize_file(Path("huge.mdb"), size);
        const std::string command = "build '" + Path("huge.mdb") + "' -o '" + Path("m.bas") + "' --force";
        const ToolRun r = Tool(command, dir_.string(), "", limit);
        EXPECT_EQ(r.code, code) << size << ": " << r.err;
        EXPECT_THAT(r.err, HasSubstr(message)) << size;
        EXPECT_TRUE(code == 0 || r.err.find(Path("huge.mdb")) != std::string::npos) << size << ": " << r.err;
    }
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
