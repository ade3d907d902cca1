// The engine model: the schema file (lossless, strict, recognised by its
// content) and the catalogue listing.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "common/error.h"
#include "dbaccess/catalogue.h"
#include "dbaccess/jet/jet_reader.h"
#include "dbaccess/open.h"
#include "dbaccess/schema_json.h"

// The designs below name only the members they need.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace vt {
namespace {

using Json = nlohmann::ordered_json;

// Throws the engine error `number` with `text` in its description.
auto EngineError(std::int32_t number, const std::string& text) {
    return ::testing::AllOf(::testing::Throws<ErrorException>(::testing::Property(&ErrorException::number, number)),
                            ::testing::ThrowsMessage<ErrorException>(::testing::HasSubstr(text)));
}

Schema EveryKindOfValue() {
    // Stored properties: each kind of value at its limits.
    const std::vector<Property> p{{"Caption", 10, std::string("\"q\"\r\n")}, {"Hidden", 1, true},
                                  {"Big", 16, std::int64_t{-9223372036854775807 - 1}}, {"Tiny", 7, 5e-324},
                                  {"Half", 6, 0.5}, {"Blob", 9, std::string("00FF")}};
    FieldDef f{std::string("nul\0inside", 10), static_cast<DaoType>(-32768), 2147483647, -2147483647 - 1,
               "\"d\"", 32767, true, true, "<>0", "\\ backslash"};
    f.properties = p;
    IndexDef x{"i", true, false, true, false, false, true, {"a", "b"}};
    x.properties = {p[1]};
    TableDef t{"Caf\xC3\xA9\r\n\"x\"\t\xF0\x9F\x98\x80", static_cast<std::int32_t>(0x80000002u),
               ";DATABASE=C:\\a.mdb", "src", {f, FieldDef{}}, {x, IndexDef{}}};
    t.properties = {p[0], p[2]};
    QueryDef q{"~sq_f", "SELECT *\r\nFROM T;\r\n"};
    q.properties = {p[3]};
    return Schema{{"C:\\Data\\Orders \"2024\".mdb", "Jet3", 1251, 1049, {p[4], p[5]}}, {t, TableDef{}},
                  {q, {"", ""}}, {{"r", "A", "B", 4096, {{"x", "y"}, {"", ""}}}, Relation{}}};
}

TEST(SchemaJson, RoundTripIsLosslessInTheDocumentedOrder) {
    const Schema original = EveryKindOfValue();
    const std::string text = WriteSchemaJson(original);
    EXPECT_EQ(text.back(), '\n');
    EXPECT_NE(text.find("Caf\xC3\xA9"), std::string::npos);  // UTF-8, not escaped
    EXPECT_EQ(ReadSchemaJson(text), original);
    EXPECT_EQ(WriteSchemaJson(ReadSchemaJson(text)), text);
    Json j = Json::parse(text);
    std::string members;
    for (const auto& member : j.items()) {
        members += member.key() + " ";
    }
    EXPECT_EQ(members, "format version path engine codePage collatingOrder properties tableDefs queryDefs relations ");
    // Opened by its content, whatever the file's name, with a byte-order
    // mark, white space and members a later version may add.
    j["comment"] = "added by a later version";
    j["tableDefs"][0]["description"] = "x";
    const auto path = std::filesystem::temp_directory_path() / ("vt-schema-" + std::to_string(::getpid()) + ".mdb");
    std::ofstream(path, std::ios::binary) << "\xEF\xBB\xBF \r\n" << j.dump();
    EXPECT_EQ(SnapshotSchema(*OpenDatabaseFile(path.string())), original);
    std::filesystem::remove(path);
}

TEST(SchemaJson, BadDocumentsAreRefusedNamingTheMember) {
    const auto edited = [](auto edit) {
        Json j = Json::parse(WriteSchemaJson(EveryKindOfValue()));
        edit(j);
        return j.dump();
    };
    const std::pair<std::string, std::string> cases[] = {
        {"", "not well-formed JSON"},
        {"{\"format\": ", "not well-formed JSON"},
        {"{\"format\":\"vellumtide-schema\",\"version\":1,\"path\":\"\xC3\x28\"}", "not well-formed JSON"},
        {"[1, 2]", "must be an object"},
        {"{}", "format is missing"},
        {edited([](Json& j) { j["format"] = "other"; }), "format must be"},
        {edited([](Json& j) { j["version"] = 2; }), "version must be 1"},
        {edited([](Json& j) { j.erase("relations"); }), "relations is missing"},
        {edited([](Json& j) { j["codePage"] = "1252"; }), "codePage must be an integer"},
        {edited([](Json& j) { j["tableDefs"][0]["fields"][1].erase("type"); }), "tableDefs[0].fields[1].type is missing"},
        {edited([](Json& j) { j["tableDefs"][0]["fields"][0]["type"] = 40000; }), "tableDefs[0].fields[0].type is out of range"},
        {edited([](Json& j) { j["tableDefs"][0]["attributes"] = 2147483650LL; }), "tableDefs[0].attributes is out of range"},
        {edited([](Json& j) { j["tableDefs"][0]["indexes"][0]["primary"] = 1; }), "tableDefs[0].indexes[0].primary must be true or false"},
        {edited([](Json& j) { j["tableDefs"][0]["indexes"][0]["fields"][1] = 3; }), "tableDefs[0].indexes[0].fields[1] must be a string"},
        {edited([](Json& j) { j["queryDefs"][1]["sql"] = nullptr; }), "queryDefs[1].sql must be a string"},
        {edited([](Json& j) { j["relations"][0]["fields"] = "x"; }), "relations[0].fields must be an array"},
        {edited([](Json& j) { j["relations"][0]["fields"][0].erase("foreignName"); }), "relations[0].fields[0].foreignName is missing"},
        {edited([](Json& j) { j["tableDefs"][0]["fields"][0]["properties"][1]["value"] = nullptr; }),
         "tableDefs[0].fields[0].properties[1].value must be true or false, a number or a string"},
        {edited([](Json& j) { j["properties"][0].erase("type"); }), "properties[0].type is missing"},
    };
    for (const auto& [text, reason] : cases) {
        EXPECT_THAT([&] { ReadSchemaJson(text); }, EngineError(err::kEngineUnrecognisedFormat, reason));
    }
}

TEST(SchemaJson, ContentDecidesWhatIsJson) {
    for (const auto& [content, json] : {std::pair{std::string("{}"), true}, {"\xEF\xBB\xBF \r\n\t{", true}, {"[1]", true},
                                        {std::string("\x00\x01\x00\x00Standard Jet DB", 19), false}, {"", false}, {"   ", false}}) {
        EXPECT_EQ(LooksLikeJson(content), json) << content;
    }
}

TEST(Catalogue, TagsByAttributesFirstRuleWins) {
    const std::pair<std::uint32_t, const char*> cases[] = {
        {0, "[Table        ]"}, {1, "[TableHidden  ]"}, {0x40000000, "[TableAttached]"}, {0x40000001, "[TableAttached]"},
        {0x20000000, "[TableODBC    ]"}, {0x60000001, "[TableODBC    ]"}, {0x80000002, ""}, {0x80000000, ""}, {2, ""}, {0xE0000001, ""}};
    for (const auto& [attributes, tag] : cases) {
        EXPECT_EQ(TableTag(static_cast<std::int32_t>(attributes)), tag) << attributes;
    }
}

// Tables, then queries, then relations, in collection order, each line
// naming its object's place in its collection; a query whose design gives
// no SQL is still listed, and only reading its text fails.
TEST(Catalogue, ListsTablesQueriesRelationsAndQueriesWithoutSql) {
    Schema s;
    for (const auto& [name, attributes] : {std::pair<const char*, std::uint32_t>{"Zeta", 0}, {"MSysObjects", 0x80000002},
                                           {"Remote", 0x20000000}, {"Alpha", 1}, {"Remote2", 0x60000000}}) {
        s.tableDefs.push_back(TableDef{name, static_cast<std::int32_t>(attributes), "", "", {}, {}});
    }
    s.queryDefs = {{"~sq_x", "SELECT 1;\r\n"}, {"Broken", ""}};
    s.relations = {{"R1", "Zeta", "Alpha", 0, {}}};
    jet::Details details;
    const ErrorRecord broken{err::kEngineDamaged, "The stored design of query 'Broken' is bad.", kEngineSource};
    details.querySqlErrors = {std::nullopt, broken};
    const jet::JetDatabase db(s, details);
    std::string listing;
    const char* kinds[] = {"table", "query", "relation"};
    for (const CatalogueLine& line : ListCatalogue(db)) {
        listing += (line.odbcNotice ? "(ODBC notice) " : "") + line.text + " = " +
                   kinds[static_cast<int>(line.object)] + " " + std::to_string(line.index) + "\n";
    }
    EXPECT_EQ(listing,
              "[Table        ]Zeta = table 0\n(ODBC notice) [TableODBC    ]Remote = table 2\n"
              "[TableHidden  ]Alpha = table 3\n(ODBC notice) [TableODBC    ]Remote2 = table 4\n"
              "[Query        ]~sq_x = query 0\n[Query        ]Broken = query 1\n[Relation     ]R1 = relation 0\n");
    EXPECT_EQ(db.QueryDefAt(0).sql, "SELECT 1;\r\n");
    EXPECT_THAT([&] { db.QueryDefAt(1); }, EngineError(broken.number, broken.description));
    EXPECT_TRUE(ListCatalogue(SchemaDatabase(Schema{})).empty());
}

}  // namespace
}  // namespace vt
