// The reader's building blocks on small images made here: text decoding,
// long values and their chains, header checks.

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <ostream>

#include "common/error.h"
#include "dbaccess/jet/jet_file.h"
#include "dbaccess/jet/jet_table.h"
#include "dbaccess/model.h"

namespace vt::jet::test {
namespace {

using Bytes8 = std::vector<std::uint8_t>;

std::int32_t ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const ErrorException& e) {
        return e.number();
    }
    return 0;
}

void Put16(Bytes8& b, std::size_t at, std::uint16_t v) {
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(Bytes8& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
}

// A four-page Jet 4 image: header, one data page holding `rows`, two blank.
Bytes8 Image(const std::vector<Bytes8>& rows) {
    Bytes8 b(4 * 4096, 0);
    b[1] = 0x01;
    std::memcpy(b.data() + 4, "Standard Jet DB", 15);
    b[0x14] = 1;
    // Store an all-zero header area: the stored bytes are the mask itself.
    const std::uint8_t key[4] = {0xC7, 0xDA, 0x39, 0x6B};
    Rc4Apply(key, 4, b.data() + 0x18, 128);
    std::uint8_t* page = b.data() + 4096;
    page[0] = 0x01;
    Put16(b, 4096 + 0x0C, static_cast<std::uint16_t>(rows.size()));
    std::size_t end = 4096;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        end -= rows[i].size();
        if (!rows[i].empty()) {
            std::memcpy(page + end, rows[i].data(), rows[i].size());
        }
        Put16(b, 4096 + 0x0E + 2 * i, static_cast<std::uint16_t>(end));
    }
    return b;
}

Bytes8 LongHeader(std::uint32_t lengthAndFlags, std::uint32_t pointer, const Bytes8& inlineData = {}) {
    Bytes8 h(12, 0);
    Put32(h, 0, lengthAndFlags);
    Put32(h, 4, pointer);
    h.insert(h.end(), inlineData.begin(), inlineData.end());
    return h;
}

constexpr std::uint32_t kRow0OfPage1 = 0x100;  // page 1, row 0
constexpr std::uint32_t kRow1OfPage1 = 0x101;

TEST(LongValues, InlineSinglePageAndChain) {
    Bytes8 chainEnd = {0, 0, 0, 0, 'w', 'o', 'r', 'l', 'd'};
    Bytes8 chainStart = {0x01, 0x01, 0, 0, 'h', 'e', 'l', 'l', 'o', ' '};  // next: page 1 row 1
    const Bytes8 image = Image({chainStart, chainEnd});
    const JetFile file(Bytes(image.data(), image.size()));
    const TextDecoder text(false, 1252);
    const RowReader rows(file, text);

    const Bytes8 inlineValue = LongHeader(0x80000000u | 3, 0, {'a', 'b', 'c'});
    EXPECT_EQ(rows.LongValue(Bytes(inlineValue.data(), inlineValue.size())), (Bytes8{'a', 'b', 'c'}));

    const Bytes8 single = LongHeader(0x40000000u | 4, kRow1OfPage1);
    EXPECT_EQ(rows.LongValue(Bytes(single.data(), single.size())), (Bytes8{0, 0, 0, 0}));

    const Bytes8 chain = LongHeader(11, kRow0OfPage1);
    EXPECT_EQ(rows.LongValue(Bytes(chain.data(), chain.size())),
              (Bytes8{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'}));
}

TEST(LongValues, DamagedValuesEndInError3049) {
    Bytes8 selfLoop = {0x00, 0x01, 0, 0, 'x', 'y'};  // next: itself (page 1 row 0)
    const Bytes8 image = Image({selfLoop});
    const JetFile file(Bytes(image.data(), image.size()));
    const TextDecoder text(false, 1252);
    const RowReader rows(file, text);
    const auto read = [&](const Bytes8& header) {
        return ErrorOf([&] { rows.LongValue(Bytes(header.data(), header.size())); });
    };
    EXPECT_EQ(read(LongHeader(100, kRow0OfPage1)), err::kEngineDamaged);               // cyclic chain
    EXPECT_EQ(read(LongHeader(0x3FFFFFFF, kRow0OfPage1)), err::kEngineDamaged);        // huge length
    EXPECT_EQ(read(LongHeader(0x80000000u | 500, 0)), err::kEngineDamaged);            // inline past its row
    EXPECT_EQ(read(LongHeader(0x40000000u | 500, kRow0OfPage1)), err::kEngineDamaged);  // longer than its row
    EXPECT_EQ(read(LongHeader(0x40000000u | 2, 0x205)), err::kEngineDamaged);          // page 2 holds no rows
    EXPECT_EQ(read(LongHeader(0x40000000u | 2, 0x7705)), err::kEngineDamaged);         // page past the end
    EXPECT_EQ(read(LongHeader(0x40000000u | 2, kRow1OfPage1)), err::kEngineDamaged);   // no such row
    EXPECT_EQ(read(Bytes8{1, 2, 3}), err::kEngineDamaged);                              // header cut short
}

TEST(UsageMaps, InlineAndReferenceMapsNameTheirPages) {
    const Bytes8 inlineMap = {0x00, 0x01, 0x00, 0x00, 0x00, 0x05};     // from page 1: pages 1 and 3
    const Bytes8 referenceMap = {0x01, 0x02, 0x00, 0x00, 0x00};         // map kept on page 2
    const Bytes8 farReference = {0x01, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00};  // 2nd range
    const Bytes8 badKind = {0x07, 0x00};
    const Bytes8 farInline = {0x00, 0x00, 0x01, 0x00, 0x00, 0x01};    // page 256 of 4
    Bytes8 image = Image({inlineMap, referenceMap, farReference, badKind, farInline, Bytes8{}});
    image[2 * 4096] = 0x05;               // page 2: a map page
    image[2 * 4096 + 4] = 0x0A;           // bits 1 and 3
    const JetFile file(Bytes(image.data(), image.size()));
    const TextDecoder text(false, 1252);
    const RowReader rows(file, text);
    EXPECT_EQ(rows.UsageMapPages(0x100), (std::vector<std::uint32_t>{1, 3}));
    EXPECT_EQ(rows.UsageMapPages(0x101), (std::vector<std::uint32_t>{1, 3}));
    // The second map page covers pages from (4096 - 4) * 8 on: past the end.
    EXPECT_EQ(ErrorOf([&] { rows.UsageMapPages(0x102); }), err::kEngineDamaged);
    EXPECT_EQ(ErrorOf([&] { rows.UsageMapPages(0x103); }), err::kEngineDamaged);
    EXPECT_EQ(ErrorOf([&] { rows.UsageMapPages(0x104); }), err::kEngineDamaged);
    EXPECT_EQ(ErrorOf([&] { rows.UsageMapPages(0x105); }), err::kEngineDamaged);  // empty map
    image[2 * 4096] = 0x01;  // the reference now leads to a page that is no map
    const JetFile other(Bytes(image.data(), image.size()));
    EXPECT_EQ(ErrorOf([&] { RowReader(other, text).UsageMapPages(0x101); }), err::kEngineDamaged);
}

struct ShapeCase {
    const char* what;
    std::uint8_t type, flags;
    std::uint16_t length;
    bool jet3;
    std::int16_t daoType;
    std::int32_t size, attributes;
};

void PrintTo(const ShapeCase& c, std::ostream* os) { *os << c.what; }

class FieldShapeTest : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(FieldShapeTest, StoredColumnBecomesDaoTypeSizeAndAttributes) {
    const ShapeCase& c = GetParam();
    const FieldShape field = MapFieldDesign(ColumnShape{c.type, c.flags, c.length}, c.jet3);
    EXPECT_EQ(DaoCode(field.type), c.daoType);
    EXPECT_EQ(field.size, c.size);
    EXPECT_EQ(field.attributes, c.attributes);
}

INSTANTIATE_TEST_SUITE_P(
    Mapping, FieldShapeTest,
    ::testing::Values(ShapeCase{"Long AutoNumber", 0x04, 0x07, 4, false, 4, 4, 17},
                      ShapeCase{"plain Long", 0x04, 0x03, 4, false, 4, 4, 1},
                      ShapeCase{"Jet4 text counts characters", 0x0A, 0x02, 100, false, 10, 50, 2},
                      ShapeCase{"Jet3 text counts bytes", 0x0A, 0x02, 50, true, 10, 50, 2},
                      ShapeCase{"fixed-length text", 0x0A, 0x03, 2, false, 10, 1, 1},
                      ShapeCase{"memo", 0x0C, 0x02, 0, false, 12, 0, 2},
                      ShapeCase{"hyperlink memo", 0x0C, 0x82, 0, false, 12, 0, 32770},
                      ShapeCase{"OLE object", 0x0B, 0x02, 0, false, 11, 0, 2},
                      ShapeCase{"system column", 0x04, 0x13, 4, false, 4, 4, 8193},
                      ShapeCase{"Yes/No", 0x01, 0x03, 1, false, 1, 1, 1},
                      ShapeCase{"GUID AutoNumber", 0x0F, 0x43, 16, false, 15, 16, 1},
                      ShapeCase{"Decimal", 0x10, 0x03, 17, false, 20, 16, 1},
                      ShapeCase{"Large Number", 0x13, 0x03, 8, false, 16, 8, 1},
                      ShapeCase{"complex column keeps its byte, no AutoNumber bit", 0x12, 0x07, 4, false, 18, 4, 1},
                      ShapeCase{"unknown type keeps its byte", 0x46, 0x02, 510, false, 70, 510, 2}));

TEST(Text, Jet4UncompressedAndCompressed) {
    const TextDecoder text(false, 1252);
    const Bytes8 plain = {'A', 0, 0xE9, 0, 0x3D, 0xD8, 0x00, 0xDE};  // "Aé" + U+1F600
    EXPECT_EQ(text.Decode(Bytes(plain.data(), plain.size())), "A\xC3\xA9\xF0\x9F\x98\x80");
    // One-byte run "ab", a UTF-16 run holding U+03C9, then one-byte "c".
    const Bytes8 compressed = {0xFF, 0xFE, 'a', 'b', 0x00, 0xC9, 0x03, 0x00, 'c'};
    EXPECT_EQ(text.Decode(Bytes(compressed.data(), compressed.size())), "ab\xCF\x89" "c");
    const Bytes8 lone = {0x00, 0xD8};  // an unpaired surrogate
    EXPECT_EQ(text.Decode(Bytes(lone.data(), lone.size())), "\xEF\xBF\xBD");
}

TEST(Text, Jet3UsesTheCodePage) {
    const Bytes8 bytes = {'c', 'a', 'f', 0xE9};
    EXPECT_EQ(TextDecoder(true, 1252).Decode(Bytes(bytes.data(), bytes.size())), "caf\xC3\xA9");
    const Bytes8 czech = {0x9A};  // š in code page 1250
    EXPECT_EQ(TextDecoder(true, 1250).Decode(Bytes(czech.data(), czech.size())), "\xC5\xA1");
}

TEST(Header, RecognisesFormatsAndRejectsOthers) {
    Bytes8 image = Image({});
    EXPECT_EQ(JetFile(Bytes(image.data(), image.size())).EngineName(), "Jet4");
    image[0x14] = 3;
    std::memcpy(image.data() + 4, "Standard ACE DB", 15);
    EXPECT_EQ(JetFile(Bytes(image.data(), image.size())).EngineName(), "ACE14");
    image[0x14] = 9;
    EXPECT_EQ(ErrorOf([&] { JetFile(Bytes(image.data(), image.size())); }), err::kEngineUnrecognisedFormat);
    Bytes8 other = Image({});
    other[0] = 'M';
    EXPECT_EQ(ErrorOf([&] { JetFile(Bytes(other.data(), other.size())); }), err::kEngineUnrecognisedFormat);
}

TEST(Header, PageCipherDecryptsWithTheDatabaseKey) {
    Bytes8 image = Image({Bytes8{'r', 'o', 'w'}});
    // Put key 0x01020304 into the (masked) header and encrypt page 1 with it.
    const std::uint32_t key = 0x01020304;
    Bytes8 keyBytes(4);
    Put32(keyBytes, 0, key);
    for (int i = 0; i < 4; ++i) {
        image[0x3E + i] ^= keyBytes[i];
    }
    const std::uint32_t pageKey = key ^ 1u;
    const std::uint8_t k[4] = {static_cast<std::uint8_t>(pageKey), static_cast<std::uint8_t>(pageKey >> 8),
                               static_cast<std::uint8_t>(pageKey >> 16), static_cast<std::uint8_t>(pageKey >> 24)};
    Rc4Apply(k, 4, image.data() + 4096, 4096);
    const JetFile file(Bytes(image.data(), image.size()));
    EXPECT_EQ(file.DatabaseKey(), key);
    EXPECT_TRUE(file.PageCipher());
    const TextDecoder text(false, 1252);
    const Bytes row = RowReader(file, text).RowAt(1, 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(row.data()), row.size()), "row");
}

}  // namespace
}  // namespace vt::jet::test
