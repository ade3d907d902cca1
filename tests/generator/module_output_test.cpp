#include "generator/module_output.h"

#include <sys/resource.h>
#include <sys/stat.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "generator/build_module.h"
#include "support/fakes.h"
#include "support/files.h"

namespace vt {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

class ModuleOutputTest : public test::ScratchFolderTest {
protected:
    static std::string Read(const fs::path& path) { return test::ReadFile(path); }
    // Names in the folder other than `keep`: temporary files left behind.
    std::vector<std::string> Leftovers(const std::string& keep) const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir_)) {
            if (entry.path().filename() != keep) {
                names.push_back(entry.path().filename().string());
            }
        }
        return names;
    }
};

TEST_F(ModuleOutputTest, CommitCreatesOrReplacesTheTarget) {
    const fs::path target = dir_ / "Orders.bas";
    for (const std::string& content : {std::string("first\r\n"), std::string(200000, 'x')}) {
        auto out = OpenAtomicFileOutput(target.string());
        out->Write(content);
        EXPECT_TRUE(Leftovers("Orders.bas").empty()) << "the module is written unnamed until it is complete";
        out->Commit();
        out.reset();
        EXPECT_EQ(Read(target), content);
        EXPECT_TRUE(Leftovers("Orders.bas").empty());
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(fs::status(target).permissions(), static_cast<fs::perms>(0666 & ~mask));
}

TEST_F(ModuleOutputTest, UncommittedOutputLeavesTheTargetAsItWas) {
    const fs::path target = dir_ / "Orders.bas";
    { std::ofstream(target, std::ios::binary) << "previous module"; }
    {
        auto out = OpenAtomicFileOutput(target.string());
        out->Write(std::string(100000, 'y'));
    }
    EXPECT_EQ(Read(target), "previous module");
    EXPECT_TRUE(Leftovers("Orders.bas").empty());
}

TEST_F(ModuleOutputTest, TargetsThatCannotBeWritten) {
    struct Case {
        std::string path;
        std::int32_t number;
    };
    const Case cases[] = {
        {dir_.string(), err::kPathFileAccess},                     // a folder
        {(dir_ / "missing" / "x.bas").string(), err::kPathNotFound},
        {"/sys/vellumtide-test.bas", err::kPermissionDenied},      // refused even to root
        {"", err::kBadFileName},
    };
    for (const Case& c : cases) {
        try {
            OpenAtomicFileOutput(c.path);
            ADD_FAILURE() << c.path << " opened";
        } catch (const ErrorException& e) {
            EXPECT_EQ(e.number(), c.number) << c.path;
            EXPECT_FALSE(e.record().description.empty());
        }
    }
}

TEST_F(ModuleOutputTest, FullDeviceReportsDiskFull) {
    try {
        auto out = OpenAtomicFileOutput("/dev/full");
        out->Write(std::string(300000, 'z'));
        out->Commit();
        ADD_FAILURE() << "writing to /dev/full succeeded";
    } catch (const ErrorException& e) {
        EXPECT_EQ(e.number(), err::kDiskFull);
    }
}

// A real write failure midway: the file-size limit stops the temporary file.
TEST_F(ModuleOutputTest, FailedBuildKeepsThePreviousModuleByteForByte) {
    const fs::path target = dir_ / "Big.bas";
    const std::string previous = "Attribute VB_Name = \"Big\"\r\n' the previous module\r\n";
    { std::ofstream(target, std::ios::binary) << previous; }

    Schema schema;
    schema.info.path = "C:\\Data\\Big.mdb";
    for (int t = 0; t < 150; ++t) {
        TableDef table;
        table.name = "Table" + std::to_string(t);
        for (int f = 0; f < 20; ++f) {
            FieldDef field;
            field.name = "Field" + std::to_string(f);
            field.type = DaoType::kText;
            field.size = 50;
            table.fields.push_back(field);
        }
        schema.tableDefs.push_back(table);
    }
    const SchemaDatabase db(schema);
    const CodePage cp = CodePage::Open(1252);
    test::RecordingMessenger messenger;
    PendingError pending;
    Reporter reporter{pending, messenger};
    test::FixedHost host;
    const BuildInputs inputs{db, schema.info.path, "Big", false, cp};

    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto savedHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = saved;
    limited.rlim_cur = 256 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const bool failed = BuildModuleFile(target.string(), inputs, host, reporter);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, savedHandler);

    EXPECT_TRUE(failed);
    EXPECT_EQ(Read(target), previous);
    EXPECT_TRUE(Leftovers("Big.bas").empty());
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_THAT(messenger.shown[0].text, HasSubstr("Error in BuildModuleFile() <Vellumtide> \r61 : "));
    EXPECT_EQ(host.builtCalls, 0);

    // Without the limit the same build replaces the module.
    EXPECT_FALSE(BuildModuleFile(target.string(), inputs, host, reporter));
    EXPECT_GT(fs::file_size(target), 256u * 1024);
    EXPECT_TRUE(Leftovers("Big.bas").empty());
}

}  // namespace
}  // namespace vt
