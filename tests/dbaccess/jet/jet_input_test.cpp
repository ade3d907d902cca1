// The reader on input made here: its building blocks (the stored column type
// mapping, text decoding, the password, long values, page maps) on small
// images, and hostile input, which must end in a clear engine error, quickly,
// never in a crash: damaged copies of good databases, random damage, files
// that are no database, inputs that once broke the reader. No file read is
// ever changed.

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>

#include "common/error.h"
#include "dbaccess/jet/jet_file.h"
#include "dbaccess/jet/jet_reader.h"
#include "dbaccess/jet/jet_table.h"
#include "dbaccess/open.h"

namespace vt::jet {
namespace {

namespace fs = std::filesystem;
using Bytes8 = std::vector<std::uint8_t>;
constexpr std::int32_t kDamaged = err::kEngineDamaged, kForeign = err::kEngineUnrecognisedFormat;

std::string DataPath(const std::string& relative) { return std::string(VT_TEST_DATA_DIR) + "/jet/" + relative; }
Bytes8 ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes8(std::istreambuf_iterator<char>(in), {});
}
Bytes View(const Bytes8& b) { return Bytes(b.data(), b.size()); }

// The error `action` ends in (number 0: none); the engine is its source.
ErrorRecord ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const ErrorException& e) {
        EXPECT_EQ(e.record().source, kEngineSource);
        return e.record();
    }
    return {};
}

// Reads `bytes` in full within 5 seconds: 0 or the error number, its
// description naming the file but for a password error.
std::int32_t ReadNumber(const Bytes8& bytes) {
    const auto start = std::chrono::steady_clock::now();
    const ErrorRecord e = ErrorOf([&] {
        (void)SnapshotSchema(*ReadJetDatabase(bytes.data(), bytes.size(), "/damaged/copy.mdb", std::nullopt));
    });
    const bool named = e.description.find("/damaged/copy.mdb") != std::string::npos;
    EXPECT_TRUE(e.number == 0 || e.number == err::kEngineBadPassword || named) << e.description;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    return e.number;
}

TEST(FieldShape, StoredColumnBecomesDaoTypeSizeAndAttributes) {
    struct {
        const char* what;
        ColumnShape column;
        bool jet3;
        std::int32_t daoType, size, attributes;
    } const cases[] = {
        {"Long AutoNumber", {0x04, 0x07, 4}, false, 4, 4, 17},
        {"plain Long", {0x04, 0x03, 4}, false, 4, 4, 1},
        {"Jet4 text counts characters", {0x0A, 0x02, 100}, false, 10, 50, 2},
        {"Jet3 text counts bytes", {0x0A, 0x02, 50}, true, 10, 50, 2},
        {"fixed-length text", {0x0A, 0x03, 2}, false, 10, 1, 1},
        {"memo", {0x0C, 0x02, 0}, false, 12, 0, 2},
        {"hyperlink memo", {0x0C, 0x82, 0}, false, 12, 0, 32770},
        {"hyperlink bit on text: no hyperlink", {0x0A, 0x82, 20}, false, 10, 10, 2},
        {"OLE object", {0x0B, 0x02, 0}, false, 11, 0, 2},
        {"system column", {0x04, 0x13, 4}, false, 4, 4, 8193},
        {"Yes/No", {0x01, 0x03, 1}, false, 1, 1, 1},
        {"GUID AutoNumber", {0x0F, 0x43, 16}, false, 15, 16, 1},
        {"Decimal", {0x10, 0x03, 17}, false, 20, 16, 1},
        {"Large Number", {0x13, 0x03, 8}, false, 16, 8, 1},
        {"complex column keeps its byte, no AutoNumber bit", {0x12, 0x07, 4}, false, 18, 4, 1},
        {"unknown type keeps its byte", {0x46, 0x02, 510}, false, 70, 510, 2},
    };
    for (const auto& c : cases) {
        const FieldShape field = MapFieldDesign(c.column, c.jet3);
        EXPECT_EQ((std::vector{DaoCode(field.type) + 0, field.size, field.attributes}),
                  (std::vector{c.daoType, c.size, c.attributes})) << c.what;
    }
}

TEST(Text, Jet4PlainAndCompressedJet3ByCodePage) {
    const std::tuple<bool, int, Bytes8, const char*> cases[] = {
        {false, 1252, {'A', 0, 0xE9, 0, 0x3D, 0xD8, 0x00, 0xDE}, "A\xC3\xA9\xF0\x9F\x98\x80"},  // Aé U+1F600
        // Compressed: a one-byte run "ab", a UTF-16 run of U+03C9, one-byte "c".
        {false, 1252, {0xFF, 0xFE, 'a', 'b', 0x00, 0xC9, 0x03, 0x00, 'c'}, "ab\xCF\x89" "c"},
        {false, 1252, {0x00, 0xD8}, "\xEF\xBF\xBD"},  // an unpaired surrogate
        {true, 1252, {'c', 'a', 'f', 0xE9}, "caf\xC3\xA9"},
        {true, 1250, {0x9A}, "\xC5\xA1"},  // š in code page 1250
    };
    for (const auto& [jet3, codePage, bytes, utf8] : cases) {
        EXPECT_EQ(TextDecoder(jet3, codePage).Decode(View(bytes)), utf8);
    }
}

// A four-page Jet 4 image: the header (its masked area all zero), page 1
// holding `rows`, two blank pages.
Bytes8 Image(const std::vector<Bytes8>& rows) {
    Bytes8 b(4 * 4096, 0);
    b[1] = b[0x14] = 0x01;
    std::memcpy(b.data() + 4, "Standard Jet DB", 15);
    const std::uint8_t key[4] = {0xC7, 0xDA, 0x39, 0x6B};
    Rc4Apply(key, 4, b.data() + 0x18, 128);  // stored bytes = the mask
    b[4096] = 0x01;
    b[4096 + 0x0C] = static_cast<std::uint8_t>(rows.size());
    std::size_t end = 4096;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        end -= rows[i].size();
        std::copy(rows[i].begin(), rows[i].end(), b.begin() + static_cast<std::ptrdiff_t>(4096 + end));
        b[4096 + 0x0E + 2 * i] = static_cast<std::uint8_t>(end);
        b[4096 + 0x0F + 2 * i] = static_cast<std::uint8_t>(end >> 8);
    }
    return b;
}

// The stored password lies in the masked header (a creation date of 0 adds
// no mask of its own): Jet 4 UTF-16, up to 20 characters; Jet 3 up to 20
// bytes. It is checked before the catalogue is read: the right one gets as
// far as the blank catalogue page (3049).
TEST(Password, StoredPasswordIsReadInFull) {
    const std::tuple<bool, std::u16string, std::string> cases[] = {
        {false, u"w\u0100", "w\xC4\x80"},  // the last character's low byte is 0
        {false, u"abcdefghijklmnopqrst", "abcdefghijklmnopqrst"},
        {true, u"abcdefghijklmnopqrstX", "abcdefghijklmnopqrst"}};  // X follows the 20 bytes
    for (const auto& [jet3, stored, right] : cases) {
        Bytes8 image = Image({});
        image[0x14] = jet3 ? 0 : 1;
        for (std::size_t i = 0; i < stored.size(); ++i) {
            image[0x42 + (jet3 ? i : 2 * i)] ^= static_cast<std::uint8_t>(stored[i]);
            image[0x43 + 2 * i] ^= jet3 ? 0 : static_cast<std::uint8_t>(stored[i] >> 8);
        }
        const auto open = [&](const std::string& password) {
            return ErrorOf([&] { ReadJetDatabase(image.data(), image.size(), "x.mdb", password); }).number;
        };
        EXPECT_EQ(open(right), kDamaged) << right;
        EXPECT_EQ(open(right.substr(0, right.size() - 1)), err::kEngineBadPassword) << right;
    }
}

// A long value's 12-byte header: length and kind, then the row pointer
// (page << 8 | row), then inline data.
Bytes8 LongHeader(std::uint32_t lengthAndKind, std::uint32_t pointer, const Bytes8& inlineData = {}) {
    Bytes8 h(12, 0);
    for (std::size_t i = 0; i < 4; ++i) {
        h[i] = static_cast<std::uint8_t>(lengthAndKind >> (8 * i));
        h[4 + i] = static_cast<std::uint8_t>(pointer >> (8 * i));
    }
    h.insert(h.end(), inlineData.begin(), inlineData.end());
    return h;
}

constexpr std::uint32_t kInline = 0x80000000u, kSingle = 0x40000000u, kRow0 = 0x100, kRow1 = 0x101;

TEST(LongValues, InlineSinglePageAndChainedValuesAreAssembled) {
    const Bytes8 image = Image({{0x01, 0x01, 0, 0, 'h', 'e', 'l', 'l', 'o', ' '},  // next: row 1
                                {0, 0, 0, 0, 'w', 'o', 'r', 'l', 'd'}});
    const JetFile file(View(image));
    const TextDecoder text(false, 1252);
    const RowReader rows(file, text);
    const auto read = [&](const Bytes8& header) { return rows.LongValue(View(header)); };
    EXPECT_EQ(read(LongHeader(kInline | 3, 0, {'a', 'b', 'c'})), (Bytes8{'a', 'b', 'c'}));
    EXPECT_EQ(read(LongHeader(kSingle | 4, kRow1)), (Bytes8{0, 0, 0, 0}));
    EXPECT_EQ(read(LongHeader(11, kRow0)), (Bytes8{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'}));
}

TEST(LongValues, DamagedValuesEndInError3049) {
    const Bytes8 image = Image({{0x00, 0x01, 0, 0, 'x', 'y'}});  // next: itself
    const JetFile file(View(image));
    const TextDecoder text(false, 1252);
    const RowReader rows(file, text);
    for (const Bytes8& header : {LongHeader(100, kRow0),            // a cyclic chain
                                 LongHeader(0x3FFFFFFF, kRow0),     // longer than the file
                                 LongHeader(kInline | 500, 0),      // inline past its row
                                 LongHeader(kSingle | 500, kRow0),  // longer than its row
                                 LongHeader(kSingle | 2, 0x205),    // page 2 holds no rows
                                 LongHeader(kSingle | 2, 0x7705),   // a page past the end
                                 LongHeader(kSingle | 2, kRow1),    // no such row
                                 Bytes8{1, 2, 3}}) {                // the header cut short
        EXPECT_EQ(ErrorOf([&] { rows.LongValue(View(header)); }).number, kDamaged);
    }
}

TEST(UsageMaps, InlineAndReferenceMapsNameTheirPagesOrEndIn3049) {
    Bytes8 image = Image({{0x00, 0x01, 0x00, 0x00, 0x00, 0x05},  // inline from page 1: pages 1, 3
                          {0x01, 0x02, 0x00, 0x00, 0x00},        // map page 2 for the first range
                          {0x01, 0, 0, 0, 0, 0x02, 0, 0, 0},     // map page 2 for the second range
                          {0x07, 0x00},                          // an unknown kind
                          {0x00, 0x00, 0x01, 0x00, 0x00, 0x01},  // inline: page 256 of 4
                          Bytes8{}});                            // empty
    image[2 * 4096] = 0x05;      // page 2: a map page
    image[2 * 4096 + 4] = 0x0A;  // bits 1 and 3
    const JetFile file(View(image));
    const TextDecoder text(false, 1252);
    const RowReader rows(file, text);
    EXPECT_EQ(rows.UsageMapPages(0x100), (std::vector<std::uint32_t>{1, 3}));
    EXPECT_EQ(rows.UsageMapPages(0x101), (std::vector<std::uint32_t>{1, 3}));
    for (std::uint32_t pointer = 0x102; pointer <= 0x105; ++pointer) {
        EXPECT_EQ(ErrorOf([&] { rows.UsageMapPages(pointer); }).number, kDamaged) << pointer;
    }
    image[2 * 4096] = 0x01;  // the reference now leads to a page that is no map
    const JetFile other(View(image));
    EXPECT_EQ(ErrorOf([&] { RowReader(other, text).UsageMapPages(0x101); }).number, kDamaged);
}

bool Jet3(const Bytes8& b) { return b.at(0x14) == 0; }
std::size_t PageSize(const Bytes8& b) { return Jet3(b) ? 2048 : 4096; }
std::size_t CatalogPage(const Bytes8& b) { return 2 * PageSize(b); }  // always page 2
std::uint32_t Get(const Bytes8& b, std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        v = (v << 8) | b.at(at + static_cast<std::size_t>(i));
    }
    return v;
}
void Put(Bytes8& b, std::size_t at, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        b.at(at + static_cast<std::size_t>(i)) = static_cast<std::uint8_t>(v >> (8 * i));
    }
}
// The catalogue's page-map row: its row-table entry, where the entries
// start, and its first byte.
struct MapRow {
    std::size_t entry, firstEntry, start;
};
MapRow CatalogMapRow(const Bytes8& b) {
    const std::uint32_t pointer = Get(b, CatalogPage(b) + (Jet3(b) ? 0x23 : 0x37), 4);
    const std::size_t page = (pointer >> 8) * PageSize(b), first = page + (Jet3(b) ? 0x0A : 0x0E);
    const std::size_t entry = first + (pointer & 0xFF) * 2;
    return MapRow{entry, first, page + (Get(b, entry, 2) & 0x1FFF)};
}

const std::string kText = [] {
    std::string text;
    for (int i = 0; i < 1000; ++i) {
        text += "This is a plain text file, not a database.\n";
    }
    return text;
}();

const std::tuple<const char*, std::function<void(Bytes8&)>, std::int32_t> kDamage[] = {
    {"truncated to half", [](Bytes8& b) { b.resize(b.size() / 2); }, kDamaged},
    {"truncated to three pages", [](Bytes8& b) { b.resize(3 * PageSize(b)); }, kDamaged},
    {"truncated inside the header", [](Bytes8& b) { b.resize(100); }, kForeign},
    {"catalogue page zeroed", [](Bytes8& b) { std::fill_n(b.begin() + CatalogPage(b), PageSize(b), 0); }, kDamaged},
    {"every page after the header zeroed", [](Bytes8& b) { std::fill(b.begin() + PageSize(b), b.end(), 0); }, kDamaged},
    {"catalogue definition chained to itself", [](Bytes8& b) { Put(b, CatalogPage(b) + 4, 2, 4); }, kDamaged},
    {"catalogue declares 65535 columns", [](Bytes8& b) { Put(b, CatalogPage(b) + (Jet3(b) ? 0x19 : 0x2D), 0xFFFF, 2); }, kDamaged},
    {"catalogue declares 2^32-1 indexes", [](Bytes8& b) { Put(b, CatalogPage(b) + (Jet3(b) ? 0x1F : 0x33), 0xFFFFFFFF, 4); }, kDamaged},
    {"zero-length page map: the row starts where it ends", [](Bytes8& b) {
         const MapRow m = CatalogMapRow(b);
         Put(b, m.entry, m.entry == m.firstEntry ? static_cast<std::uint32_t>(PageSize(b)) : Get(b, m.entry - 2, 2) & 0x1FFF, 2);
     }, kDamaged},
    {"page map of an unknown kind", [](Bytes8& b) { b.at(CatalogMapRow(b).start) = 0x7F; }, kDamaged},
    {"page map naming pages past the end", [](Bytes8& b) {  // inline: a far first page, else a far map page
         const MapRow m = CatalogMapRow(b);
         Put(b, m.start + 1, b.at(m.start) == 0 ? 0x00F00000 : 0x00FFFFFF, 4);
     }, kDamaged},
    {"engine name changed", [](Bytes8& b) { std::memcpy(b.data() + 4, "Standard Foo DB", 15); }, kForeign},
    {"unknown engine version", [](Bytes8& b) { b.at(0x14) = 0x42; }, kForeign},
    {"empty", [](Bytes8& b) { b.clear(); }, kForeign},
    {"all zero", [](Bytes8& b) { b.assign(100000, 0); }, kForeign},
    {"plain text", [](Bytes8& b) { b.assign(kText.begin(), kText.end()); }, kForeign},
};

TEST(Damage, EachDamagedCopyEndsInItsError) {
    for (const char* file : {"jackcess/indexTestV1997.mdb", "jackcess/indexTestV2000.mdb", "jackcess/linkerTestV2007.accdb"}) {
        const Bytes8 original = ReadBytes(DataPath(file));
        ASSERT_EQ(ReadNumber(original), 0) << file;
        for (const auto& [what, damage, expected] : kDamage) {
            Bytes8 bytes = original;
            damage(bytes);
            EXPECT_EQ(ReadNumber(bytes), expected) << file << ": " << what;
        }
    }
}

bool Clear(std::int32_t n) { return n == 0 || n == kDamaged || n == kForeign || n == err::kEngineBadPassword; }

TEST(Damage, RandomFlipsInTheFirstPagesAreNoticedAndNeverCrashOrHang) {
    for (const char* file : {"jackcess/indexTestV1997.mdb", "jackcess/indexTestV2000.mdb"}) {
        const Bytes8 original = ReadBytes(DataPath(file));
        std::mt19937 random(20261206);
        int errors = 0;
        for (int round = 0; round < 150; ++round) {
            Bytes8 bytes = original;
            for (int n = 0; n < 40; ++n) {
                bytes[random() % std::min(bytes.size(), 16 * PageSize(bytes))] ^= static_cast<std::uint8_t>(1 + random() % 255);
            }
            const std::int32_t number = ReadNumber(bytes);
            EXPECT_TRUE(Clear(number)) << number;
            errors += number != 0;
        }
        EXPECT_GT(errors, 0) << "random damage never noticed in " << file;
    }
}

// Inputs that once crashed or hung the reader (found by scripts/fuzz-reader.sh).
TEST(Damage, FuzzRegressionsEndInSchemaOrClearError) {
    if (!fs::exists(DataPath("fuzz-regressions"))) {
        GTEST_SKIP() << "no regression inputs";
    }
    for (const auto& entry : fs::directory_iterator(DataPath("fuzz-regressions"))) {
        EXPECT_TRUE(entry.path().extension() != ".bin" || Clear(ReadNumber(ReadBytes(entry.path())))) << entry.path();
    }
}

// Files on disk: each error names the file, and no file read is changed.
TEST(Damage, FilesOnDiskGiveEngineErrorsAndStayUnchanged) {
    const fs::path dir = fs::temp_directory_path() / ("vt-jet-input-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    Bytes8 half = ReadBytes(DataPath("jackcess/indexTestV2000.mdb"));
    half.resize(half.size() / 2);
    std::ofstream(dir / "half.mdb", std::ios::binary).write(reinterpret_cast<const char*>(half.data()), static_cast<std::streamsize>(half.size()));
    std::ofstream(dir / "empty.mdb").close();
    for (const auto& [path, expected] : {std::pair{dir / "none.mdb", err::kEngineFileNotFound}, {dir / "empty.mdb", kForeign},
                                         {dir, kForeign}, {dir / "half.mdb", kDamaged}}) {
        const ErrorRecord e = ErrorOf([&] { OpenDatabaseFile(path.string()); });
        EXPECT_EQ(e.number, expected) << path;
        EXPECT_NE(e.description.find(path.string()), std::string::npos) << e.description;
    }
    EXPECT_EQ(ReadBytes(dir / "half.mdb"), half);
    fs::remove_all(dir);
    const std::string good = DataPath("jackcess/indexTestV1997.mdb");
    const Bytes8 before = ReadBytes(good);
    const auto modified = fs::last_write_time(good);
    (void)SnapshotSchema(*OpenDatabaseFile(good));
    EXPECT_EQ(ReadBytes(good), before);
    EXPECT_EQ(fs::last_write_time(good), modified);
}

}  // namespace
}  // namespace vt::jet
