#include "dbaccess/schema_json.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "common/error.h"

namespace vt {
namespace {

using ::testing::HasSubstr;

Schema EveryKindOfValue() {
    Schema s;
    s.info = {"C:\\Data\\Orders \"2024\".mdb", "Jet3", 1251, 1049};
    TableDef t;
    t.name = "Caf\xC3\xA9\r\n\"x\"\t\xF0\x9F\x98\x80";
    t.attributes = static_cast<std::int32_t>(0x80000002u);
    t.connect = ";DATABASE=C:\\a.mdb";
    t.sourceTableName = "src";
    FieldDef f;
    f.name = std::string("nul\0inside", 10);
    f.type = static_cast<DaoType>(-32768);
    f.size = 2147483647;
    f.attributes = -2147483647 - 1;
    f.defaultValue = "\"d\"";
    f.ordinalPosition = 32767;
    f.required = true;
    f.allowZeroLength = true;
    f.validationRule = "<>0";
    f.validationText = "\\ backslash";
    t.fields = {f, FieldDef{}};
    IndexDef x;
    x.name = "i";
    x.primary = x.foreign = x.clustered = true;
    x.fields = {"a", "b"};
    t.indexes = {x, IndexDef{}};
    s.tableDefs = {t, TableDef{}};
    s.queryDefs = {{"~sq_f", "SELECT *\r\nFROM T;\r\n"}, {"", ""}};
    s.relations = {{"r", "A", "B", 4096, {{"x", "y"}, {"", ""}}}, Relation{}};
    return s;
}

TEST(SchemaJson, RoundTripIsLossless) {
    const Schema original = EveryKindOfValue();
    const std::string text = WriteSchemaJson(original);
    EXPECT_EQ(text.back(), '\n');
    EXPECT_EQ(ReadSchemaJson(text), original);
    EXPECT_EQ(WriteSchemaJson(ReadSchemaJson(text)), text);
    EXPECT_THAT(text, HasSubstr("Caf\xC3\xA9"));  // UTF-8, not escaped
}

TEST(SchemaJson, MembersInTheDocumentedOrder) {
    const std::string text = WriteSchemaJson(EveryKindOfValue());
    std::size_t last = 0;
    for (const char* member : {"\"format\"", "\"version\"", "\"path\"", "\"engine\"", "\"codePage\"",
                               "\"collatingOrder\"", "\"tableDefs\"", "\"queryDefs\"",
                               "\"relations\""}) {
        const auto at = text.find(member);
        ASSERT_NE(at, std::string::npos) << member;
        EXPECT_GT(at, last) << member;
        last = at;
    }
}

TEST(SchemaJson, BadDocumentsAreRefusedWithTheirReason) {
    const std::string good = WriteSchemaJson(EveryKindOfValue());
    auto edited = [&](auto edit) {
        nlohmann::ordered_json j = nlohmann::ordered_json::parse(good);
        edit(j);
        return j.dump();
    };
    struct Case {
        std::string text;
        std::string reason;
    };
    const Case cases[] = {
        {"", "not well-formed JSON"},
        {"{\"format\": ", "not well-formed JSON"},
        {"[1, 2]", "must be an object"},
        {"{}", "format is missing"},
        {edited([](auto& j) { j["format"] = "other"; }), "format must be"},
        {edited([](auto& j) { j["version"] = 2; }), "version must be 1"},
        {edited([](auto& j) { j.erase("relations"); }), "relations is missing"},
        {edited([](auto& j) { j["codePage"] = "1252"; }), "codePage must be an integer"},
        {edited([](auto& j) { j["tableDefs"][0]["fields"][1].erase("type"); }),
         "tableDefs[0].fields[1].type is missing"},
        {edited([](auto& j) { j["tableDefs"][0]["fields"][0]["type"] = 40000; }),
         "tableDefs[0].fields[0].type is out of range"},
        {edited([](auto& j) { j["tableDefs"][0]["attributes"] = 2147483650LL; }),
         "tableDefs[0].attributes is out of range"},
        {edited([](auto& j) { j["tableDefs"][0]["indexes"][0]["primary"] = 1; }),
         "tableDefs[0].indexes[0].primary must be true or false"},
        {edited([](auto& j) { j["tableDefs"][0]["indexes"][0]["fields"][1] = 3; }),
         "tableDefs[0].indexes[0].fields[1] must be a string"},
        {edited([](auto& j) { j["queryDefs"][1]["sql"] = nullptr; }),
         "queryDefs[1].sql must be a string"},
        {edited([](auto& j) { j["relations"][0]["fields"] = "x"; }),
         "relations[0].fields must be an array"},
        {edited([](auto& j) { j["relations"][0]["fields"][0].erase("foreignName"); }),
         "relations[0].fields[0].foreignName is missing"},
        {"{\"format\":\"vellumtide-schema\",\"version\":1,\"path\":\"\xC3\x28\"}",
         "not well-formed JSON"},
    };
    for (const Case& c : cases) {
        try {
            ReadSchemaJson(c.text);
            ADD_FAILURE() << "accepted: " << c.text.substr(0, 80);
        } catch (const ErrorException& e) {
            EXPECT_EQ(e.number(), err::kEngineUnrecognisedFormat);
            EXPECT_THAT(e.record().description, HasSubstr(c.reason)) << c.reason;
        }
    }
}

TEST(SchemaJson, ExtraMembersAndAByteOrderMarkAreAccepted) {
    nlohmann::ordered_json j = nlohmann::ordered_json::parse(WriteSchemaJson(EveryKindOfValue()));
    j["comment"] = "added by a later version";
    j["tableDefs"][0]["description"] = "x";
    EXPECT_EQ(ReadSchemaJson("\xEF\xBB\xBF" + j.dump()), EveryKindOfValue());
}

TEST(SchemaJson, ContentDecidesWhatIsJson) {
    EXPECT_TRUE(LooksLikeJson("{}"));
    EXPECT_TRUE(LooksLikeJson("\xEF\xBB\xBF \r\n\t{"));
    EXPECT_TRUE(LooksLikeJson("[1]"));
    EXPECT_FALSE(LooksLikeJson(std::string("\x00\x01\x00\x00Standard Jet DB", 19)));
    EXPECT_FALSE(LooksLikeJson(""));
    EXPECT_FALSE(LooksLikeJson("   "));
}

}  // namespace
}  // namespace vt
