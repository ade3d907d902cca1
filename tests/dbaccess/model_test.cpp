// The engine model: the schema file (a lossless round trip in the
// documented member order, strict reading that names each bad member, the
// content deciding what is opened as one) and the catalogue listing (tags by
// table attributes, collection order, a query whose design gives no SQL).

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

namespace vt {
namespace {

Schema EveryKindOfValue() {
    Schema s;
    s.info = {"C:\\Data\\Orders \"2024\".mdb", "Jet3", 1251, 1049};
    FieldDef f{std::string("nul\0inside", 10), static_cast<DaoType>(-32768), 2147483647, -2147483647 - 1,
               "\"d\"", 32767, true, true, "<>0", "\\ backslash"};
    IndexDef x{"i", true, false, true, false, false, true, {"a", "b"}};
    TableDef t{"Caf\xC3\xA9\r\n\"x\"\t\xF0\x9F\x98\x80", static_cast<std::int32_t>(0x80000002u),
               ";DATABASE=C:\\a.mdb", "src", {f, FieldDef{}}, {x, IndexDef{}}};
    s.tableDefs = {t, TableDef{}};
    s.queryDefs = {{"~sq_f", "SELECT *\r\nFROM T;\r\n"}, {"", ""}};
    s.relations = {{"r", "A", "B", 4096, {{"x", "y"}, {"", ""}}}, Relation{}};
    return s;
}

TEST(SchemaJson, RoundTripIsLosslessInTheDocumentedOrder) {
    const Schema original = EveryKindOfValue();
    const std::string text = WriteSchemaJson(original);
    EXPECT_EQ(text.back(), '\n');
    EXPECT_NE(text.find("Caf\xC3\xA9"), std::string::npos);  // UTF-8, not escaped
    EXPECT_EQ(ReadSchemaJson(text), original);
    EXPECT_EQ(WriteSchemaJson(ReadSchemaJson(text)), text);
    nlohmann::ordered_json j = nlohmann::ordered_json::parse(text);
    std::vector<std::string> members;
    for (const auto& member : j.items()) {
        members.push_back(member.key());
    }
    EXPECT_EQ(members, (std::vector<std::string>{"format", "version", "path", "engine", "codePage", "collatingOrder",
                                                 "tableDefs", "queryDefs", "relations"}));
    // A file is opened as a schema by its content, whatever its extension;
    // members a later version may add and a byte-order mark are accepted.
    j["comment"] = "added by a later version";
    j["tableDefs"][0]["description"] = "x";
    const auto path = std::filesystem::temp_directory_path() / ("vt-schema-" + std::to_string(::getpid()) + ".mdb");
    std::ofstream(path, std::ios::binary) << "\xEF\xBB\xBF \r\n" << j.dump();
    EXPECT_EQ(SnapshotSchema(*OpenDatabaseFile(path.string())), original);
    std::filesystem::remove(path);
}

TEST(SchemaJson, BadDocumentsAreRefusedNamingTheMember) {
    const std::string good = WriteSchemaJson(EveryKindOfValue());
    auto edited = [&](auto edit) {
        nlohmann::ordered_json j = nlohmann::ordered_json::parse(good);
        edit(j);
        return j.dump();
    };
    const std::pair<std::string, std::string> cases[] = {
        {"", "not well-formed JSON"},
        {"{\"format\": ", "not well-formed JSON"},
        {"{\"format\":\"vellumtide-schema\",\"version\":1,\"path\":\"\xC3\x28\"}", "not well-formed JSON"},
        {"[1, 2]", "must be an object"},
        {"{}", "format is missing"},
        {edited([](auto& j) { j["format"] = "other"; }), "format must be"},
        {edited([](auto& j) { j["version"] = 2; }), "version must be 1"},
        {edited([](auto& j) { j.erase("relations"); }), "relations is missing"},
        {edited([](auto& j) { j["codePage"] = "1252"; }), "codePage must be an integer"},
        {edited([](auto& j) { j["tableDefs"][0]["fields"][1].erase("type"); }), "tableDefs[0].fields[1].type is missing"},
        {edited([](auto& j) { j["tableDefs"][0]["fields"][0]["type"] = 40000; }), "tableDefs[0].fields[0].type is out of range"},
        {edited([](auto& j) { j["tableDefs"][0]["attributes"] = 2147483650LL; }), "tableDefs[0].attributes is out of range"},
        {edited([](auto& j) { j["tableDefs"][0]["indexes"][0]["primary"] = 1; }), "tableDefs[0].indexes[0].primary must be true or false"},
        {edited([](auto& j) { j["tableDefs"][0]["indexes"][0]["fields"][1] = 3; }), "tableDefs[0].indexes[0].fields[1] must be a string"},
        {edited([](auto& j) { j["queryDefs"][1]["sql"] = nullptr; }), "queryDefs[1].sql must be a string"},
        {edited([](auto& j) { j["relations"][0]["fields"] = "x"; }), "relations[0].fields must be an array"},
        {edited([](auto& j) { j["relations"][0]["fields"][0].erase("foreignName"); }), "relations[0].fields[0].foreignName is missing"},
    };
    for (const auto& [text, reason] : cases) {
        try {
            ReadSchemaJson(text);
            ADD_FAILURE() << "accepted: " << text.substr(0, 80);
        } catch (const ErrorException& e) {
            EXPECT_EQ(e.number(), err::kEngineUnrecognisedFormat);
            EXPECT_NE(e.record().description.find(reason), std::string::npos) << e.what();
        }
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
        {0, "[Table        ]"},         {1, "[TableHidden  ]"},
        {0x40000000, "[TableAttached]"}, {0x40000001, "[TableAttached]"},
        {0x20000000, "[TableODBC    ]"}, {0x60000001, "[TableODBC    ]"},
        {0x80000002, ""}, {0x80000000, ""}, {0x00000002, ""}, {0xE0000001, ""},
    };
    for (const auto& [attributes, tag] : cases) {
        EXPECT_EQ(TableTag(static_cast<std::int32_t>(attributes)), tag) << attributes;
    }
}

TEST(Catalogue, TablesThenQueriesThenRelationsInCollectionOrder) {
    Schema s;
    for (const auto& [name, attributes] : {std::pair<const char*, std::uint32_t>{"Zeta", 0},
                                           {"MSysObjects", 0x80000002}, {"Remote", 0x20000000},
                                           {"Alpha", 1}, {"Remote2", 0x60000000}}) {
        s.tableDefs.push_back(TableDef{name, static_cast<std::int32_t>(attributes), "", "", {}, {}});
    }
    s.queryDefs = {{"~sq_x", ""}, {"Q", ""}};
    s.relations = {{"R1", "Zeta", "Alpha", 0, {}}};
    std::string listing;
    for (const CatalogueLine& line : ListCatalogue(SchemaDatabase(s))) {
        listing += (line.odbcNotice ? "(ODBC notice) " : "") + line.text + "\n";
    }
    EXPECT_EQ(listing,
              "[Table        ]Zeta\n(ODBC notice) [TableODBC    ]Remote\n[TableHidden  ]Alpha\n"
              "(ODBC notice) [TableODBC    ]Remote2\n[Query        ]~sq_x\n[Query        ]Q\n"
              "[Relation     ]R1\n");
    EXPECT_TRUE(ListCatalogue(SchemaDatabase(Schema{})).empty());
}

// The listing names a query whose stored design gives no SQL; only reading
// its text fails, with the error recorded for it.
TEST(Catalogue, BrokenQueryIsListedAndFailsOnlyWhereItsTextIsRead) {
    Schema schema;
    schema.queryDefs = {{"Good", "SELECT 1;\r\n"}, {"Broken", ""}};
    jet::Details details;
    const ErrorRecord broken{err::kEngineDamaged, "The stored design of query 'Broken' is bad.", kEngineSource};
    details.querySqlErrors = {std::nullopt, broken};
    const jet::JetDatabase db(schema, details);
    const auto lines = ListCatalogue(db);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].text, "[Query        ]Broken");
    EXPECT_EQ(db.QueryDefAt(0).sql, "SELECT 1;\r\n");
    try {
        db.QueryDefAt(1);
        ADD_FAILURE() << "the broken query's text was read";
    } catch (const ErrorException& e) {
        EXPECT_EQ(e.number(), broken.number);
        EXPECT_EQ(e.record().description, broken.description);
    }
}

}  // namespace
}  // namespace vt
