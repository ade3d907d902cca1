#include "common/path.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/fakes.h"

namespace vt {
namespace {

namespace fs = std::filesystem;

struct SplitCase {
    const char* path;
    bool extensionNull;
    const char* folder;  // the folder output, starting as "<unchanged>"
    const char* fileName;
    const char* extension;  // nullptr: stays Null
};

class StripFilePathTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(StripFilePathTest, SplitsAsText) {
    const SplitCase& c = GetParam();
    test::RecordingMessenger messenger;
    PendingError pending;
    Reporter reporter{pending, messenger};
    std::string folder = "<unchanged>";
    std::string fileName = "<unchanged>";
    std::optional<std::string> extension;
    if (!c.extensionNull) {
        extension = "<unchanged>";
    }
    StripFilePath(c.path, &folder, &fileName, &extension, reporter);
    EXPECT_EQ(folder, c.folder);
    EXPECT_EQ(fileName, c.fileName);
    if (c.extension == nullptr) {
        EXPECT_FALSE(extension.has_value());
    } else {
        EXPECT_EQ(extension, std::optional<std::string>(c.extension));
    }
    EXPECT_TRUE(messenger.shown.empty());
    EXPECT_EQ(pending.Number(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, StripFilePathTest,
    ::testing::Values(
        SplitCase{"C:\\Data\\Orders.mdb", false, "C:\\Data", "Orders", "mdb"},
        SplitCase{"C:\\Data\\Orders.mdb", true, "C:\\Data", "Orders.mdb", nullptr},
        SplitCase{"C:\\Data\\Archive.2024.mdb", false, "C:\\Data", "Archive", "2024.mdb"},
        SplitCase{"Orders.mdb", false, "<unchanged>", "Orders", "mdb"},
        SplitCase{"C:\\Data\\README", false, "C:\\Data", "README", ""},
        SplitCase{"C:\\Data\\ Orders .mdb", false, "C:\\Data", "Orders", "mdb"},
        SplitCase{"C:\\My Data \\ x.bas", false, "C:\\My Data ", "x", "bas"},
        SplitCase{"C:\\Data", false, "C:", "Data", ""},  // no such folder here
        SplitCase{"", false, "<unchanged>", "", ""},
        SplitCase{"/no/such/dir/Sales.mdb", false, "/no/such/dir", "Sales", "mdb"},
        SplitCase{"C:\\dir.v2\\Orders", false, "C:\\dir.v2", "Orders", ""},
        SplitCase{"/mixed\\sep/Orders.bas", true, "/mixed\\sep", "Orders.bas", nullptr}));

TEST(StripFilePath, ExistingFolderGivesFolderAndEmptyName) {
    const fs::path dir = fs::temp_directory_path() / "vt-strip-folder";
    fs::create_directories(dir);
    test::RecordingMessenger messenger;
    PendingError pending;
    Reporter reporter{pending, messenger};
    for (const std::string& path : {dir.string(), dir.string() + "/"}) {
        std::string folder, name = "x";
        std::optional<std::string> nullExtension;
        StripFilePath(path, &folder, &name, &nullExtension, reporter);
        EXPECT_EQ(folder, dir.string());
        EXPECT_EQ(name, "");
        EXPECT_EQ(nullExtension, std::optional<std::string>(""));  // even a Null one
    }
    fs::remove(dir);
}

TEST(StripFilePath, UnexpectedFailureEmptiesOutputsAndReports) {
    test::RecordingMessenger messenger;
    messenger.pointer = pointer::kBusy;
    PendingError pending;
    Reporter reporter{pending, messenger};
    std::string folder = "f", name = "n";
    std::optional<std::string> extension;  // Null
    const AttributeQuery refused = [](const std::string&) -> std::int32_t {
        throw ErrorException(err::kPermissionDenied, "Permission to use 'x' was refused.");
    };
    StripFilePath("C:\\Data\\Orders.mdb", &folder, &name, &extension, reporter, refused);
    EXPECT_EQ(folder, "");
    EXPECT_EQ(name, "");
    EXPECT_EQ(extension, std::optional<std::string>(""));
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0].style, box::kCritical);
    EXPECT_EQ(messenger.shown[0].text,
              "Error in StripFilePath() <Vellumtide> \r70 : Permission to use 'x' was refused.");
    EXPECT_EQ(pending.Number(), 0);
    EXPECT_EQ(messenger.pointer, pointer::kBusy);
}

TEST(StripFilePath, ExpectedFailuresSplitAsText) {
    for (const std::int32_t code : {err::kInvalidArgument, err::kFileNotFound, err::kPathNotFound}) {
        test::RecordingMessenger messenger;
        PendingError pending;
        pending.Set({99, "stale", "x"});  // arming the handler clears it
        Reporter reporter{pending, messenger};
        const AttributeQuery failing = [code](const std::string&) -> std::int32_t {
            throw ErrorException(code, "expected");
        };
        std::string name;
        std::optional<std::string> extension{std::string()};
        StripFilePath("D:\\a\\b.c", nullptr, &name, &extension, reporter, failing);
        EXPECT_EQ(name, "b") << code;
        EXPECT_EQ(extension, std::optional<std::string>("c")) << code;
        EXPECT_TRUE(messenger.shown.empty()) << code;
        EXPECT_EQ(pending.Number(), 0) << code;
    }
}

TEST(QueryPathAttributes, MapsFailuresToPlatformNumbers) {
    const fs::path dir = fs::temp_directory_path() / "vt-attr";
    fs::create_directories(dir);
    const fs::path file = dir / "f.txt";
    { std::ofstream(file) << "x"; }
    struct Case {
        std::string path;
        std::int32_t number;  // 0: succeeds
        std::int32_t attributes;
    };
    const Case cases[] = {
        {dir.string(), 0, kAttributeDirectory},
        {file.string(), 0, 0},
        {"", err::kInvalidArgument, 0},
        {(dir / "missing.mdb").string(), err::kFileNotFound, 0},
        {(dir / "no-folder" / "x.mdb").string(), err::kPathNotFound, 0},
        {(file / "x.mdb").string(), err::kPathNotFound, 0},
    };
    for (const Case& c : cases) {
        try {
            EXPECT_EQ(QueryPathAttributes(c.path), c.attributes) << c.path;
            EXPECT_EQ(c.number, 0) << c.path;
        } catch (const ErrorException& e) {
            EXPECT_EQ(e.number(), c.number) << c.path;
            EXPECT_FALSE(e.record().description.empty());
        }
    }
    fs::remove_all(dir);
}

}  // namespace
}  // namespace vt
