// The DAO view the reader gives for named real databases, pinned to facts
// recorded for those files (their source projects' own assertions, the
// format notes and the test-data manifest).

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <ostream>

#include "common/error.h"
#include "dbaccess/jet/jet_reader.h"
#include "dbaccess/open.h"
#include "jet_test_util.h"

namespace vt::jet::test {
namespace {

std::unique_ptr<Database> OpenFile(const std::string& relative,
                                   std::optional<std::string> password = std::nullopt) {
    OpenOptions options;
    options.password = std::move(password);
    return OpenDatabaseFile(DataPath(relative), options);
}

const JetDatabase& AsJet(const std::unique_ptr<Database>& db) {
    const auto* jet = dynamic_cast<const JetDatabase*>(db.get());
    if (jet == nullptr) {
        throw std::runtime_error("not opened by the Jet reader");
    }
    return *jet;
}

// ---- Database-wide values -------------------------------------------------

struct InfoCase {
    const char* file;
    const char* engine;
    int codePage;
    std::int32_t collatingOrder;
};

void PrintTo(const InfoCase& c, std::ostream* os) { *os << c.file; }

class InfoTest : public ::testing::TestWithParam<InfoCase> {};

TEST_P(InfoTest, EngineCodePageAndCollatingOrderComeFromTheHeader) {
    const InfoCase& c = GetParam();
    const auto db = OpenFile(c.file);
    const DatabaseInfo info = db->Info();
    EXPECT_EQ(info.engine, c.engine);
    EXPECT_EQ(info.codePage, c.codePage);
    EXPECT_EQ(info.collatingOrder, c.collatingOrder);
    EXPECT_EQ(db->CollatingOrder(), c.collatingOrder);
    EXPECT_TRUE(std::filesystem::path(info.path).is_absolute());
    EXPECT_EQ(std::filesystem::path(info.path).filename(), std::filesystem::path(c.file).filename());
}

INSTANTIATE_TEST_SUITE_P(
    Headers, InfoTest,
    ::testing::Values(InfoCase{"jackcess/indexTestV1997.mdb", "Jet3", 1252, 1033},
                      InfoCase{"jackcess/indexTestV2000.mdb", "Jet4", 1252, 1033},
                      InfoCase{"jackcess/linkerTestV2007.accdb", "ACE12", 1252, 1033},
                      // Slovak sort order and Central European code page.
                      InfoCase{"kros-msaccess/MsAccessSchema.mdb", "Jet4", 1250, 1051}));

// ---- Relations ------------------------------------------------------------

struct RelationCase {
    const char* file;
    const char* name;
    const char* table;
    const char* foreignTable;
    std::int32_t attributes;
    const char* field;
    const char* foreignName;
};

void PrintTo(const RelationCase& c, std::ostream* os) { *os << c.file << " " << c.name; }

class RelationTest : public ::testing::TestWithParam<RelationCase> {};

TEST_P(RelationTest, RelationComesFromMSysRelationships) {
    const RelationCase& c = GetParam();
    const auto db = OpenFile(c.file);
    const Relation* found = nullptr;
    std::vector<Relation> relations;
    for (std::size_t i = 0; i < db->RelationCount(); ++i) {
        relations.push_back(db->RelationAt(i));
    }
    for (const Relation& r : relations) {
        if (r.name == c.name) {
            found = &r;
        }
    }
    ASSERT_NE(found, nullptr) << c.name;
    EXPECT_EQ(found->table, c.table);
    EXPECT_EQ(found->foreignTable, c.foreignTable);
    EXPECT_EQ(found->attributes, c.attributes);
    ASSERT_EQ(found->fields.size(), 1u);
    EXPECT_EQ(found->fields[0].name, c.field);
    EXPECT_EQ(found->fields[0].foreignName, c.foreignName);
}

INSTANTIATE_TEST_SUITE_P(
    IndexTestFiles, RelationTest,
    ::testing::Values(
        // Delete-cascade (0x1000) and update-cascade (0x100) relations.
        RelationCase{"jackcess/indexTestV1997.mdb", "Table2Table1", "Table2", "Table1", 4096, "id", "otherfk1"},
        RelationCase{"jackcess/indexTestV1997.mdb", "Table3Table1", "Table3", "Table1", 256, "id", "otherfk2"},
        RelationCase{"jackcess/indexTestV2000.mdb", "Table2Table1", "Table2", "Table1", 4096, "id", "otherfk1"},
        RelationCase{"jackcess/indexTestV2000.mdb", "Table3Table1", "Table3", "Table1", 256, "id", "otherfk2"},
        // Not enforced (dbRelationDontEnforce), to a linked table.
        RelationCase{"jackcess/linkerTestV2007.accdb", "Table1Table2", "Table1", "Table2", 2, "Field1", "Field1"}));

TEST(RelationOrder, RelationsAreListedByName) {
    const auto db = OpenFile("jackcess/indexTestV2000.mdb");
    ASSERT_EQ(db->RelationCount(), 4u);  // two user relations, two Access navigation-pane ones
    EXPECT_EQ(db->RelationAt(0).name, "MSysNavPaneGroupCategoriesMSysNavPaneGroups");
    EXPECT_EQ(db->RelationAt(1).name, "MSysNavPaneGroupsMSysNavPaneGroupToObjects");
    EXPECT_EQ(db->RelationAt(2).name, "Table2Table1");
    EXPECT_EQ(db->RelationAt(3).name, "Table3Table1");
}

// ---- Indexes --------------------------------------------------------------

TEST(Indexes, ForeignKeyIndexesOfAnEnforcedRelation) {
    for (const char* file : {"jackcess/indexTestV1997.mdb", "jackcess/indexTestV2000.mdb"}) {
        SCOPED_TRACE(file);
        const auto db = OpenFile(file);
        const Schema& schema = AsJet(db).schema();
        const TableDef* many = FindTable(schema, "Table1");
        ASSERT_NE(many, nullptr);
        const IndexDef* fk = FindIndex(*many, "Table2Table1");
        ASSERT_NE(fk, nullptr);
        EXPECT_TRUE(fk->foreign);
        EXPECT_FALSE(fk->primary);
        EXPECT_EQ(fk->fields, std::vector<std::string>{"otherfk1"});
        // The one side gets an internal index that shares the primary key's data.
        const TableDef* one = FindTable(schema, "Table2");
        ASSERT_NE(one, nullptr);
        const IndexDef* internal = FindIndex(*one, ".rC");
        ASSERT_NE(internal, nullptr);
        EXPECT_TRUE(internal->foreign);
        EXPECT_TRUE(internal->unique);
        EXPECT_EQ(internal->fields, std::vector<std::string>{"id"});
        const IndexDef* pk = FindIndex(*one, "PrimaryKey");
        ASSERT_NE(pk, nullptr);
        EXPECT_TRUE(pk->primary);
        EXPECT_TRUE(pk->unique);
        EXPECT_TRUE(pk->required);
        EXPECT_FALSE(pk->ignoreNulls);
        EXPECT_FALSE(pk->clustered);
        EXPECT_FALSE(pk->foreign);
        // Stored order: punctuation first, then case-insensitive by name.
        std::vector<std::string> names;
        for (const IndexDef& index : one->indexes) {
            names.push_back(index.name);
        }
        EXPECT_EQ(names, (std::vector<std::string>{".rC", "id", "PrimaryKey"}));
    }
}

TEST(Indexes, MultiFieldIndexKeepsSlotOrderAndDescendingField) {
    const auto db = OpenFile("kros-msaccess/MsAccessSchema.mdb");
    const JetDatabase& jet = AsJet(db);
    const TableDef* table = FindTable(jet.schema(), "IndexesTest");
    ASSERT_NE(table, nullptr);
    const IndexDef* index = FindIndex(*table, "I_Index");
    ASSERT_NE(index, nullptr);
    EXPECT_EQ(index->fields, (std::vector<std::string>{"ColIndex1", "ColIndex2Desc", "ColIndex3"}));
    EXPECT_FALSE(index->unique);
    EXPECT_FALSE(index->primary);
    const IndexDef* unique = FindIndex(*table, "I_UniqueIndex");
    ASSERT_NE(unique, nullptr);
    EXPECT_TRUE(unique->unique);
    EXPECT_EQ(unique->fields, std::vector<std::string>{"ColUniqueIndex"});
    const IndexDef* pk = FindIndex(*table, "PrimaryKey");
    ASSERT_NE(pk, nullptr);
    EXPECT_TRUE(pk->primary);
    EXPECT_EQ(pk->fields, std::vector<std::string>{"Id"});

    bool checked = false;
    for (const TableDetail& detail : jet.details().tables) {
        if (detail.name != "IndexesTest") {
            continue;
        }
        for (const IndexDetail& i : detail.indexes) {
            if (i.name == "I_Index") {
                ASSERT_EQ(i.fields.size(), 3u);
                EXPECT_FALSE(i.fields[0].descending);
                EXPECT_TRUE(i.fields[1].descending);
                EXPECT_FALSE(i.fields[2].descending);
                checked = true;
            }
        }
    }
    EXPECT_TRUE(checked);
}

TEST(Indexes, DescendingSingleFieldIndex) {
    const auto db = OpenFile("jackcess/compIndexTestV2000.mdb");
    const JetDatabase& jet = AsJet(db);
    const TableDef* table = FindTable(jet.schema(), "Table1");
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->indexes.size(), 1u);
    EXPECT_EQ(table->indexes[0].name, "CD_AGENTE");
    EXPECT_EQ(table->indexes[0].fields, std::vector<std::string>{"CD_AGENTE"});
    bool checked = false;
    for (const TableDetail& detail : jet.details().tables) {
        if (detail.name == "Table1") {
            ASSERT_EQ(detail.indexes.size(), 1u);
            ASSERT_EQ(detail.indexes[0].fields.size(), 1u);
            EXPECT_TRUE(detail.indexes[0].fields[0].descending);
            checked = true;
        }
    }
    EXPECT_TRUE(checked);
}

// ---- Fields and their properties -----------------------------------------

struct FieldCase {
    const char* file;
    const char* table;
    const char* field;
    std::int16_t type;
    std::int32_t size;
    std::int32_t attributes;
    const char* defaultValue;
    bool required;
    bool allowZeroLength;
    const char* validationRule;
};

void PrintTo(const FieldCase& c, std::ostream* os) { *os << c.file << " " << c.table << "." << c.field; }

class FieldTest : public ::testing::TestWithParam<FieldCase> {};

TEST_P(FieldTest, FieldValues) {
    const FieldCase& c = GetParam();
    const auto db = OpenFile(c.file);
    const TableDef* table = FindTable(AsJet(db).schema(), c.table);
    ASSERT_NE(table, nullptr) << c.table;
    const FieldDef* field = FindField(*table, c.field);
    ASSERT_NE(field, nullptr) << c.field;
    EXPECT_EQ(DaoCode(field->type), c.type);
    EXPECT_EQ(field->size, c.size);
    EXPECT_EQ(field->attributes, c.attributes);
    EXPECT_EQ(field->defaultValue, c.defaultValue);
    EXPECT_EQ(field->required, c.required);
    EXPECT_EQ(field->allowZeroLength, c.allowZeroLength);
    EXPECT_EQ(field->validationRule, c.validationRule);
}

INSTANTIATE_TEST_SUITE_P(
    Properties, FieldTest,
    ::testing::Values(
        // Kros' loader asserts these defaults, sizes and NOT NULL columns.
        FieldCase{"kros-msaccess/MsAccessSchema.mdb", "SchemaTest", "ColInt32", 3, 2, 1, "32", false, false, ""},
        FieldCase{"kros-msaccess/MsAccessSchema.mdb", "SchemaTest", "ColInt64", 4, 4, 1, "64", false, false, ""},
        FieldCase{"kros-msaccess/MsAccessSchema.mdb", "SchemaTest", "ColInt64NotNull", 4, 4, 1, "0", true, false, ""},
        FieldCase{"kros-msaccess/MsAccessSchema.mdb", "SchemaTest", "ColVarChar", 10, 100, 2, "", false, true, ""},
        FieldCase{"kros-msaccess/MsAccessSchema.mdb", "SchemaTest", "ColVarCharNotNull", 10, 200, 2, "\"Lorem ipsum\"", true, true, ""},
        FieldCase{"kros-msaccess/MsAccessSchema.mdb", "SchemaTest", "ColText", 12, 0, 2, "", false, true, ""},
        FieldCase{"kros-msaccess/MsAccessSchema.mdb", "SchemaTest", "ColGuid", 15, 16, 1, "", false, false, ""},
        FieldCase{"kros-msaccess/MsAccessSchema.mdb", "IndexesTest", "Id", 4, 4, 17, "", false, false, ""},
        // Jet3 text sizes are stored in characters; GUID AutoNumber keeps GenGUID().
        FieldCase{"jackcess/testV1997.mdb", "Table1", "A", 10, 50, 2, "", false, false, ""},
        FieldCase{"jackcess/testV1997.mdb", "Table1", "C", 2, 1, 1, "0", false, false, ""},
        FieldCase{"jackcess/testV1997.mdb", "Table1", "H", 5, 8, 1, "0", false, false, ""},
        FieldCase{"jackcess/testV1997.mdb", "Table1", "I", 1, 1, 1, "", false, false, ""},
        FieldCase{"jackcess/testV1997.mdb", "Table2", "column89", 10, 50, 2, "", false, true, ""},
        FieldCase{"jackcess/testV1997.mdb", "Table3", "a", 4, 4, 17, "", false, false, ""},
        FieldCase{"jackcess/testV1997.mdb", "Table4", "data", 15, 16, 1, "GenGUID()", false, false, ""},
        // Every column Required; fixed-length text is still dbText, fixed.
        FieldCase{"jackcess/fixedTextTestV2000.mdb", "users", "c_flag_", 10, 1, 1, "", true, false, ""},
        FieldCase{"jackcess/fixedTextTestV2000.mdb", "users", "c_user_name", 10, 200, 2, "", true, false, ""},
        // A validation rule and quoted text defaults.
        FieldCase{"ucanaccess/accessLike.mdb", "t_like1", "a1", 10, 50, 2, "\"rrr\"", false, true, "CLng(\"a1\")>2"},
        FieldCase{"ucanaccess/accessLike.mdb", "t_like1", "a2", 10, 50, 2, "", true, true, ""},
        FieldCase{"ucanaccess/accessLike.mdb", "t_like2", "Campo2", 10, 50, 2, "", true, false, ""}));

TEST(Fields, PropertyCountsMatchTheManifest) {
    // testV1997: DefaultValue x6, AllowZeroLength x89 over the user tables.
    const auto db = OpenFile("jackcess/testV1997.mdb");
    int defaults = 0;
    int allowZero = 0;
    for (const TableDef& table : AsJet(db).schema().tableDefs) {
        if (table.IsSystem()) {
            continue;
        }
        for (const FieldDef& field : table.fields) {
            defaults += field.defaultValue.empty() ? 0 : 1;
            allowZero += field.allowZeroLength ? 1 : 0;
        }
    }
    EXPECT_EQ(defaults, 6);
    EXPECT_EQ(allowZero, 89);
}

// ---- Ordinal positions ----------------------------------------------------

struct OrdinalCase {
    const char* file;
    std::vector<std::pair<std::string, int>> fields;  // in collection order
};

void PrintTo(const OrdinalCase& c, std::ostream* os) { *os << c.file; }

class OrdinalTest : public ::testing::TestWithParam<OrdinalCase> {};

TEST_P(OrdinalTest, FieldsFollowTheStoredPosition) {
    const OrdinalCase& c = GetParam();
    const auto db = OpenFile(c.file);
    const TableDef* table = FindTable(AsJet(db).schema(), "Table1");
    ASSERT_NE(table, nullptr);
    std::vector<std::pair<std::string, int>> actual;
    for (const FieldDef& field : table->fields) {
        actual.emplace_back(field.name, field.ordinalPosition);
    }
    EXPECT_EQ(actual, c.fields);
}

INSTANTIATE_TEST_SUITE_P(
    InsertedAndDeleted, OrdinalTest,
    ::testing::Values(
        // col3 was inserted between col1 and col2.
        OrdinalCase{"mdb-reader/withinsertedcol.accdb", {{"col1", 0}, {"col3", 1}, {"col2", 2}}},
        // col4 was deleted: its position stays a gap.
        OrdinalCase{"mdb-reader/withdeletedcol.accdb",
                    {{"col1", 0}, {"col2", 1}, {"col3", 2}, {"col5", 4}, {"col6", 5}, {"col7", 6}, {"col8", 7}}},
        OrdinalCase{"jackcess/delColTestV1997.mdb", {{"id", 0}, {"id2", 1}, {"data", 2}, {"data2", 3}}}));

// ---- Tables: attributes, linked tables, order -----------------------------

struct LinkCase {
    const char* file;
    const char* table;
    const char* connect;
    const char* source;
};

void PrintTo(const LinkCase& c, std::ostream* os) { *os << c.file << " " << c.table; }

class LinkTest : public ::testing::TestWithParam<LinkCase> {};

TEST_P(LinkTest, JetLinkGivesConnectAndSourceAndNoFields) {
    const LinkCase& c = GetParam();
    const auto db = OpenFile(c.file);
    const TableDef* table = FindTable(AsJet(db).schema(), c.table);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->attributes, table_attr::kAttachedTable);
    EXPECT_TRUE(table->IsLinked());
    EXPECT_FALSE(table->IsOdbcLinked());
    EXPECT_EQ(table->connect, c.connect);
    EXPECT_EQ(table->sourceTableName, c.source);
    EXPECT_TRUE(table->fields.empty());
    EXPECT_TRUE(table->indexes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    LinkedTables, LinkTest,
    ::testing::Values(LinkCase{"jackcess/linkerTestV2007.accdb", "Table2",
                               ";DATABASE=Z:\\jackcess_test\\linkeeTest.accdb", "Table1"},
                      LinkCase{"ucanaccess/linked.mdb", "Table1", ";DATABASE=C:\\db\\linkee1.mdb", "Table1"},
                      LinkCase{"ucanaccess/linked.mdb", "table2", ";DATABASE=C:\\db\\linkee2.mdb", "table2"}));

TEST(Tables, OdbcLinkKeepsItsCachedDesignAndGetsTheOdbcPrefix) {
    const auto db = OpenFile("jackcess/odbcLinkerTestV2007.accdb");
    const Schema& schema = AsJet(db).schema();
    const TableDef* link = FindTable(schema, "Ordrar");
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->attributes, table_attr::kAttachedOdbc);
    EXPECT_TRUE(link->IsOdbcLinked());
    EXPECT_EQ(link->connect,
              "ODBC;DSN=Magnapinna;Description=Safexit;UID=safexit;PWD=DummyPassword;"
              "APP=Microsoft Office;DATABASE=safexit");
    EXPECT_EQ(link->sourceTableName, "dbo.Ordrar");
    // The local copy of the remote design: 20 columns and 5 indexes.
    EXPECT_EQ(link->fields.size(), 20u);
    EXPECT_EQ(link->indexes.size(), 5u);
    // An Access-hidden local table (Flags bit 0x8) is listed as hidden.
    const TableDef* hidden = FindTable(schema, "Lokal");
    ASSERT_NE(hidden, nullptr);
    EXPECT_EQ(hidden->attributes, table_attr::kHiddenObject);
    EXPECT_EQ(hidden->fields.size(), 11u);
}

TEST(Tables, LocalTablesHaveNoConnectAndSystemTablesAreMarked) {
    const auto db = OpenFile("jackcess/indexTestV1997.mdb");
    const Schema& schema = AsJet(db).schema();
    const TableDef* user = FindTable(schema, "Table1");
    ASSERT_NE(user, nullptr);
    EXPECT_EQ(user->attributes, 0);
    EXPECT_EQ(user->connect, "");
    EXPECT_EQ(user->sourceTableName, "");
    const TableDef* engine = FindTable(schema, "MSysObjects");
    ASSERT_NE(engine, nullptr);
    EXPECT_EQ(engine->attributes, static_cast<std::int32_t>(0x80000000u));
    const TableDef* access = FindTable(schema, "MSysAccessObjects");
    ASSERT_NE(access, nullptr);
    EXPECT_EQ(access->attributes, 2);
}

TEST(Tables, TemporaryTablesAreHidden) {
    const auto db = OpenFile("mdb-reader/withdeletedcol.accdb");
    const TableDef* temp = FindTable(AsJet(db).schema(), "~TMPCLP517911");
    ASSERT_NE(temp, nullptr);
    EXPECT_EQ(temp->attributes, table_attr::kHiddenObject);
}

TEST(Tables, TableDefsAreOrderedByNameIgnoringCase) {
    const auto db = OpenFile("jackcess/indexTestV1997.mdb");
    std::vector<std::string> names;
    for (std::size_t i = 0; i < db->TableDefCount(); ++i) {
        names.push_back(db->TableDefAt(i).name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"MSysAccessObjects", "MSysACEs", "MSysModules", "MSysModules2",
                                               "MSysObjects", "MSysQueries", "MSysRelationships", "Table1",
                                               "Table2", "Table3"}));
}

// ---- Queries --------------------------------------------------------------

TEST(Queries, NamesAndStoredRowsAreRead) {
    const auto db = OpenFile("jackcess/queryTestV1997.mdb");
    const JetDatabase& jet = AsJet(db);
    std::vector<std::string> names;
    for (std::size_t i = 0; i < db->QueryDefCount(); ++i) {
        names.push_back(db->QueryDefAt(i).name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"AppendQuery", "CrosstabQuery", "DataDefinitionQuery",
                                               "DeleteQuery", "MakeTableQuery", "PassthroughQuery",
                                               "SelectQuery", "UnionQuery", "UpdateQuery"}));
    ASSERT_EQ(jet.details().queries.size(), 9u);
    for (const QueryDesign& q : jet.details().queries) {
        SCOPED_TRACE(q.name);
        ASSERT_FALSE(q.rows.empty());
        for (const QueryRow& row : q.rows) {
            EXPECT_EQ(row.objectId, q.id);
            EXPECT_FALSE(row.lvExtra.has_value());  // Jet 3 has no such column
        }
        // Every query has exactly one row of attribute 1 (its kind).
        int kinds = 0;
        for (const QueryRow& row : q.rows) {
            kinds += row.attribute == 1 ? 1 : 0;
        }
        EXPECT_EQ(kinds, 1);
    }
    // Query kinds as MSysObjects flags: select 0, crosstab 16, delete 32,
    // update 48, append 64, make-table 80, DDL 96, pass-through 112, union 128.
    std::map<std::string, std::int32_t> kinds;
    for (const QueryDesign& q : jet.details().queries) {
        kinds[q.name] = q.flags & 0xF0;
    }
    EXPECT_EQ(kinds["SelectQuery"], 0);
    EXPECT_EQ(kinds["CrosstabQuery"], 16);
    EXPECT_EQ(kinds["DeleteQuery"], 32);
    EXPECT_EQ(kinds["UpdateQuery"], 48);
    EXPECT_EQ(kinds["AppendQuery"], 64);
    EXPECT_EQ(kinds["MakeTableQuery"], 80);
    EXPECT_EQ(kinds["DataDefinitionQuery"], 96);
    EXPECT_EQ(kinds["PassthroughQuery"], 112);
    EXPECT_EQ(kinds["UnionQuery"], 128);
}

// ---- Encryption and passwords -------------------------------------------

TEST(Encryption, EncryptedDatabasesAreDecrypted) {
    for (const char* file : {"jackcessencrypt/db97-enc.mdb", "jackcessencrypt/db-enc.mdb"}) {
        SCOPED_TRACE(file);
        const auto db = OpenFile(file);
        const TableDef* table = FindTable(AsJet(db).schema(), "Table1");
        ASSERT_NE(table, nullptr);
        ASSERT_EQ(table->fields.size(), 3u);
        EXPECT_EQ(table->fields[0].name, "ID");
        EXPECT_EQ(table->fields[0].attributes, 17);
        EXPECT_EQ(table->fields[1].name, "col1");
        EXPECT_EQ(table->fields[2].name, "col2");
        EXPECT_EQ(table->fields[2].defaultValue, "0");
        ASSERT_EQ(table->indexes.size(), 1u);
        EXPECT_TRUE(table->indexes[0].primary);
    }
}

TEST(Password, MissingOrWrongPasswordIsError3031) {
    for (const std::optional<std::string>& password :
         {std::optional<std::string>{}, std::optional<std::string>{"Password"},
          std::optional<std::string>{""}}) {
        try {
            OpenFile("mdb-reader/V2003_with-password.mdb", password);
            ADD_FAILURE() << "opened without the right password";
        } catch (const ErrorException& e) {
            EXPECT_EQ(e.number(), err::kEngineBadPassword);
            EXPECT_EQ(e.record().description, "'" + DataPath("mdb-reader/V2003_with-password.mdb") +
                                                  "': Not a valid password.");
            EXPECT_EQ(e.record().source, kEngineSource);
        }
    }
}

TEST(Password, RightPasswordOpens) {
    const auto db = OpenFile("mdb-reader/V2003_with-password.mdb", "password");
    int userTables = 0;
    for (const TableDef& table : AsJet(db).schema().tableDefs) {
        userTables += table.IsSystem() ? 0 : 1;
    }
    EXPECT_EQ(userTables, 1);
}

TEST(Password, UnprotectedDatabaseIgnoresAGivenPassword) {
    EXPECT_NO_THROW(OpenFile("jackcess/indexTestV2000.mdb", "anything"));
}

}  // namespace
}  // namespace vt::jet::test
