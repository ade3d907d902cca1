// Damaged copies of good databases, made here byte by byte: each must end in
// a clear engine error, quickly, and never in a crash.

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <ostream>
#include <random>

#include "common/error.h"
#include "dbaccess/jet/jet_file.h"
#include "dbaccess/jet/jet_reader.h"
#include "dbaccess/open.h"
#include "jet_test_util.h"

namespace vt::jet::test {
namespace {

using Bytes8 = std::vector<std::uint8_t>;

struct Layout {
    std::size_t pageSize;
    bool jet3;
};

Layout LayoutOf(const Bytes8& file) {
    const bool jet3 = file.at(0x14) == 0;
    return Layout{jet3 ? 2048u : 4096u, jet3};
}

std::uint32_t U32(const Bytes8& b, std::size_t at) {
    return b.at(at) | (b.at(at + 1) << 8) | (b.at(at + 2) << 16) | (static_cast<std::uint32_t>(b.at(at + 3)) << 24);
}
void PutU16(Bytes8& b, std::size_t at, std::uint16_t v) {
    b.at(at) = static_cast<std::uint8_t>(v);
    b.at(at + 1) = static_cast<std::uint8_t>(v >> 8);
}
void PutU32(Bytes8& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        b.at(at + i) = static_cast<std::uint8_t>(v >> (8 * i));
    }
}

// Reads `bytes` and returns the error number (0 when it opened), failing the
// test when it took too long.
std::int32_t ReadNumber(const Bytes8& bytes, std::optional<std::string> password = std::nullopt) {
    const auto start = std::chrono::steady_clock::now();
    std::int32_t number = 0;
    try {
        const auto db = ReadJetDatabase(bytes.data(), bytes.size(), "/damaged/copy.mdb", password);
        (void)SnapshotSchema(*db);
    } catch (const ErrorException& e) {
        number = e.number();
        EXPECT_FALSE(e.record().description.empty());
        EXPECT_EQ(e.record().source, kEngineSource);
    }
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_LT(elapsed, std::chrono::seconds(5));
    return number;
}

struct DamageCase {
    const char* name;
    const char* file;
    std::function<void(Bytes8&)> damage;
    std::vector<std::int32_t> expected;  // acceptable error numbers
};

void PrintTo(const DamageCase& c, std::ostream* os) { *os << c.file << ": " << c.name; }

class DamageTest : public ::testing::TestWithParam<DamageCase> {};

TEST_P(DamageTest, EndsInAClearError) {
    const DamageCase& c = GetParam();
    Bytes8 bytes = ReadBytes(DataPath(c.file));
    ASSERT_GT(bytes.size(), 16384u);
    ASSERT_EQ(ReadNumber(bytes), 0) << "the undamaged file must open";
    c.damage(bytes);
    const std::int32_t number = ReadNumber(bytes);
    EXPECT_NE(std::find(c.expected.begin(), c.expected.end(), number), c.expected.end())
        << c.name << " gave " << number;
}

// The catalogue's table definition is always page 2.
std::size_t CatalogPage(const Bytes8& b) { return 2 * LayoutOf(b).pageSize; }

// Where the catalogue's page-map row lies: its page and row-table entry.
void FindCatalogMapRow(const Bytes8& b, std::size_t& page, std::size_t& entry) {
    const Layout l = LayoutOf(b);
    const std::uint32_t pointer = U32(b, CatalogPage(b) + (l.jet3 ? 0x23 : 0x37));
    page = (pointer >> 8) * l.pageSize;
    entry = page + (l.jet3 ? 0x0A : 0x0E) + (pointer & 0xFF) * 2;
}

std::vector<DamageCase> Cases() {
    const std::vector<std::int32_t> damaged{err::kEngineDamaged};
    const std::vector<std::int32_t> damagedOrForeign{err::kEngineDamaged, err::kEngineUnrecognisedFormat};
    std::vector<DamageCase> cases;
    for (const char* file : {"jackcess/indexTestV1997.mdb", "jackcess/indexTestV2000.mdb",
                             "jackcess/linkerTestV2007.accdb"}) {
        cases.push_back({"truncated to half", file, [](Bytes8& b) { b.resize(b.size() / 2); }, damaged});
        cases.push_back({"truncated to three pages", file,
                         [](Bytes8& b) { b.resize(3 * LayoutOf(b).pageSize); }, damaged});
        cases.push_back({"truncated inside the header", file, [](Bytes8& b) { b.resize(100); },
                         {err::kEngineUnrecognisedFormat}});
        cases.push_back({"catalogue page zeroed", file,
                         [](Bytes8& b) {
                             std::fill_n(b.begin() + CatalogPage(b), LayoutOf(b).pageSize, 0);
                         },
                         damaged});
        cases.push_back({"every page after the header zeroed", file,
                         [](Bytes8& b) { std::fill(b.begin() + LayoutOf(b).pageSize, b.end(), 0); },
                         damaged});
        cases.push_back({"catalogue definition chained to itself", file,
                         [](Bytes8& b) { PutU32(b, CatalogPage(b) + 4, 2); }, damaged});
        cases.push_back({"catalogue declares 65535 columns", file,
                         [](Bytes8& b) { PutU16(b, CatalogPage(b) + (LayoutOf(b).jet3 ? 0x19 : 0x2D), 0xFFFF); },
                         damaged});
        cases.push_back({"catalogue declares 2^32-1 indexes", file,
                         [](Bytes8& b) {
                             PutU32(b, CatalogPage(b) + (LayoutOf(b).jet3 ? 0x1F : 0x33), 0xFFFFFFFFu);
                         },
                         damaged});
        cases.push_back({"zero-length page map", file,
                         [](Bytes8& b) {
                             std::size_t page = 0;
                             std::size_t entry = 0;
                             FindCatalogMapRow(b, page, entry);
                             // Start the row where it ends: no bytes left.
                             const std::size_t row = entry - page - (LayoutOf(b).jet3 ? 0x0A : 0x0E);
                             const std::uint16_t end =
                                 row == 0 ? static_cast<std::uint16_t>(LayoutOf(b).pageSize)
                                          : static_cast<std::uint16_t>((b.at(entry - 2) | (b.at(entry - 1) << 8)) & 0x1FFF);
                             PutU16(b, entry, end);
                         },
                         damaged});
        cases.push_back({"page map of an unknown kind", file,
                         [](Bytes8& b) {
                             std::size_t page = 0;
                             std::size_t entry = 0;
                             FindCatalogMapRow(b, page, entry);
                             const std::size_t start = (b.at(entry) | (b.at(entry + 1) << 8)) & 0x1FFF;
                             b.at(page + start) = 0x7F;
                         },
                         damaged});
        cases.push_back({"page map naming pages past the end", file,
                         [](Bytes8& b) {
                             std::size_t page = 0;
                             std::size_t entry = 0;
                             FindCatalogMapRow(b, page, entry);
                             const std::size_t start = (b.at(entry) | (b.at(entry + 1) << 8)) & 0x1FFF;
                             if (b.at(page + start) == 0) {
                                 PutU32(b, page + start + 1, 0x00F00000);  // inline map: far first page
                             } else {
                                 PutU32(b, page + start + 1, 0x00FFFFFF);  // map page past the end
                             }
                         },
                         damaged});
        cases.push_back({"not a database: engine name changed", file,
                         [](Bytes8& b) { std::memcpy(b.data() + 4, "Standard Foo DB", 15); },
                         {err::kEngineUnrecognisedFormat}});
        cases.push_back({"unknown engine version", file, [](Bytes8& b) { b.at(0x14) = 0x42; },
                         {err::kEngineUnrecognisedFormat}});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Copies, DamageTest, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<DamageCase>& info) {
                             return "case" + std::to_string(info.index);
                         });

TEST(RandomDamage, FlippedBytesNeverCrashOrHang) {
    for (const char* file : {"jackcess/indexTestV1997.mdb", "jackcess/indexTestV2000.mdb"}) {
        const Bytes8 original = ReadBytes(DataPath(file));
        std::mt19937 random(20261206);
        int errors = 0;
        for (int round = 0; round < 150; ++round) {
            Bytes8 bytes = original;
            // Damage the structures that matter most: the first pages.
            const std::size_t span = std::min<std::size_t>(bytes.size(), 16 * LayoutOf(bytes).pageSize);
            for (int n = 0; n < 40; ++n) {
                bytes[random() % span] ^= static_cast<std::uint8_t>(1 + random() % 255);
            }
            const std::int32_t number = ReadNumber(bytes);
            EXPECT_TRUE(number == 0 || number == err::kEngineDamaged ||
                        number == err::kEngineUnrecognisedFormat || number == err::kEngineBadPassword)
                << number;
            errors += number != 0 ? 1 : 0;
        }
        EXPECT_GT(errors, 0) << "random damage never noticed in " << file;
    }
}

TEST(ForeignFiles, NonDatabasesAreUnrecognised) {
    EXPECT_EQ(ReadNumber(Bytes8{}), err::kEngineUnrecognisedFormat);
    EXPECT_EQ(ReadNumber(Bytes8(100000, 0)), err::kEngineUnrecognisedFormat);
    std::string text = "This is a plain text file, not a database.\n";
    Bytes8 bytes;
    for (int i = 0; i < 1000; ++i) {
        bytes.insert(bytes.end(), text.begin(), text.end());
    }
    EXPECT_EQ(ReadNumber(bytes), err::kEngineUnrecognisedFormat);
}

TEST(Files, MissingAndEmptyFilesGiveEngineErrors) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "vt-jet-damage-test";
    std::filesystem::create_directories(dir);
    try {
        OpenDatabaseFile((dir / "no-such-file.mdb").string());
        ADD_FAILURE();
    } catch (const ErrorException& e) {
        EXPECT_EQ(e.number(), err::kEngineFileNotFound);
    }
    const auto empty = dir / "empty.mdb";
    std::ofstream(empty).close();
    try {
        OpenDatabaseFile(empty.string());
        ADD_FAILURE();
    } catch (const ErrorException& e) {
        EXPECT_EQ(e.number(), err::kEngineUnrecognisedFormat);
    }
    // A damaged copy on disk goes through the same checks, and the file
    // itself is left as it was.
    Bytes8 bytes = ReadBytes(DataPath("jackcess/indexTestV2000.mdb"));
    bytes.resize(bytes.size() / 2);
    const auto half = dir / "half.mdb";
    {
        std::ofstream out(half, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    try {
        OpenDatabaseFile(half.string());
        ADD_FAILURE();
    } catch (const ErrorException& e) {
        EXPECT_EQ(e.number(), err::kEngineDamaged);
        EXPECT_NE(e.record().description.find(half.string()), std::string::npos);
    }
    EXPECT_EQ(ReadBytes(half.string()), bytes);
    std::filesystem::remove_all(dir);
}

TEST(Files, ReadingLeavesTheSourceUnchanged) {
    const std::string path = DataPath("jackcess/indexTestV1997.mdb");
    const Bytes8 before = ReadBytes(path);
    const auto modified = std::filesystem::last_write_time(path);
    (void)SnapshotSchema(*OpenDatabaseFile(path));
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_EQ(std::filesystem::last_write_time(path), modified);
}

// Inputs that once crashed or hung the reader (found by fuzzing).
TEST(FuzzRegressions, EachEndsInSchemaOrClearError) {
    const std::filesystem::path dir = DataPath("fuzz-regressions");
    if (!std::filesystem::exists(dir)) {
        GTEST_SKIP() << "no regression inputs";
    }
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (!entry.is_regular_file() || entry.path().extension() != ".bin") {
            continue;
        }
        SCOPED_TRACE(entry.path().string());
        const std::int32_t number = ReadNumber(ReadBytes(entry.path().string()));
        EXPECT_TRUE(number == 0 || number == err::kEngineDamaged ||
                    number == err::kEngineUnrecognisedFormat || number == err::kEngineBadPassword);
    }
}

}  // namespace
}  // namespace vt::jet::test
