// Whole modules compared byte for byte with reviewed copies. Set
// VT_UPDATE_GOLDEN=1 to write the copies anew after an intended change.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "dbaccess/open.h"
#include "dbaccess/schema_json.h"
#include "generator/build_module.h"
#include "support/fakes.h"
#include "support/files.h"

namespace vt {
namespace {

namespace fs = std::filesystem;

const fs::path kDataDir = fs::path(VT_TEST_DATA_DIR) / "generator";

using test::ReadFile;

struct Variant {
    const char* suffix;
    bool high;
    bool commonCode;
    bool encrypt;
    bool fullPath;
};

constexpr Variant kVariants[] = {
    {"low", false, true, true, false},
    {"high", true, true, true, false},
    {"low-bare", false, false, false, true},
    {"high-bare", true, false, true, false},
};

class GoldenModule : public ::testing::TestWithParam<const char*> {};

TEST_P(GoldenModule, MatchesReviewedCopy) {
    const std::string name = GetParam();
    const SchemaDatabase db(ReadSchemaJson(ReadFile(kDataDir / (name + ".json"))));
    const bool update = std::getenv("VT_UPDATE_GOLDEN") != nullptr;
    for (const Variant& v : kVariants) {
        const auto built = test::BuildToMemory(
            db, {.high = v.high, .commonCode = v.commonCode, .encrypt = v.encrypt,
                 .fullPath = v.fullPath, .modulePath = "C:\\Work\\" + name + ".bas"});
        ASSERT_FALSE(built.failed);
        const fs::path golden = kDataDir / "golden" / (name + "-" + v.suffix + ".bas");
        if (update) {
            std::ofstream(golden, std::ios::binary) << built.bytes;
            continue;
        }
        ASSERT_TRUE(fs::exists(golden)) << golden;
        EXPECT_EQ(built.bytes, ReadFile(golden)) << golden;
    }
}

INSTANTIATE_TEST_SUITE_P(Schemas, GoldenModule,
                         ::testing::Values("orders", "empty", "tricky", "cyrillic"));

// A real database with the full design: its stored properties, its Slovak
// sort order by locale string, its file format.
TEST(GoldenModule, RealDatabaseWithTheFullDesign) {
    const auto db = OpenDatabaseFile((fs::path(VT_TEST_DATA_DIR) / "jet" / "kros-msaccess" / "MsAccessSchema.mdb").string());
    const auto built = test::BuildToMemory(
        *db, {.high = true, .fullDesign = true, .modulePath = "C:\\Work\\MsAccessSchema.bas"});
    ASSERT_FALSE(built.failed);
    const fs::path golden = kDataDir / "golden" / "MsAccessSchema-full-high.bas";
    if (std::getenv("VT_UPDATE_GOLDEN") != nullptr) {
        std::ofstream(golden, std::ios::binary) << built.bytes;
    }
    EXPECT_EQ(built.bytes, ReadFile(golden)) << golden;
}

}  // namespace
}  // namespace vt
