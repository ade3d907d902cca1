#include "dbaccess/catalogue.h"

#include <gtest/gtest.h>

namespace vt {
namespace {

TEST(Catalogue, TagsByAttributesFirstRuleWins) {
    struct Case {
        std::uint32_t attributes;
        const char* tag;
    };
    const Case cases[] = {
        {0, "[Table        ]"},
        {1, "[TableHidden  ]"},
        {0x40000000, "[TableAttached]"},
        {0x40000001, "[TableAttached]"},
        {0x20000000, "[TableODBC    ]"},
        {0x60000001, "[TableODBC    ]"},
        {0x80000002, ""},
        {0x80000000, ""},
        {0x00000002, ""},
        {0xE0000001, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TableTag(static_cast<std::int32_t>(c.attributes)), c.tag) << c.attributes;
    }
}

TEST(Catalogue, TablesThenQueriesThenRelationsInCollectionOrder) {
    Schema s;
    auto table = [](std::string name, std::uint32_t attributes) {
        TableDef t;
        t.name = std::move(name);
        t.attributes = static_cast<std::int32_t>(attributes);
        return t;
    };
    s.tableDefs = {table("Zeta", 0), table("MSysObjects", 0x80000002), table("Remote", 0x20000000),
                   table("Alpha", 1), table("Remote2", 0x60000000)};
    s.queryDefs = {{"~sq_x", ""}, {"Q", ""}};
    s.relations = {{"R1", "Zeta", "Alpha", 0, {}}};
    const auto lines = ListCatalogue(SchemaDatabase(s));
    const std::vector<std::pair<std::string, bool>> expected = {
        {"[Table        ]Zeta", false},  {"[TableODBC    ]Remote", true},
        {"[TableHidden  ]Alpha", false}, {"[TableODBC    ]Remote2", true},
        {"[Query        ]~sq_x", false}, {"[Query        ]Q", false},
        {"[Relation     ]R1", false},
    };
    ASSERT_EQ(lines.size(), expected.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].text, expected[i].first);
        EXPECT_EQ(lines[i].odbcNotice, expected[i].second) << lines[i].text;
    }
    EXPECT_TRUE(ListCatalogue(SchemaDatabase(Schema{})).empty());
}

}  // namespace
}  // namespace vt
