#include "generator/build_module.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "support/fakes.h"

namespace vt {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using Lines = std::vector<std::string>;

FieldDef Field(std::string name, std::int16_t type, std::int32_t size, std::int32_t attributes,
               std::int16_t ordinal, bool required = false) {
    FieldDef f;
    f.name = std::move(name);
    f.type = static_cast<DaoType>(type);
    f.size = size;
    f.attributes = attributes;
    f.ordinalPosition = ordinal;
    f.required = required;
    return f;
}

IndexDef PrimaryKey(std::string field) {
    IndexDef x;
    x.name = "PrimaryKey";
    x.primary = x.unique = x.required = true;
    x.fields = {std::move(field)};
    return x;
}

TableDef Table(std::string name, std::int32_t attributes = 0) {
    TableDef t;
    t.name = std::move(name);
    t.attributes = attributes;
    return t;
}

TableDef Customers() {
    TableDef t = Table("Customers");
    t.fields = {Field("ID", 4, 4, 17, 0, true)};
    t.indexes = {PrimaryKey("ID")};
    return t;
}

Relation CustomersOrders() {
    return {"CustomersOrders", "Customers", "Orders", 4096, {{"ID", "CustomerID"}}};
}

Schema OrdersSchema() {
    Schema s;
    s.info.path = "C:\\Data\\Orders.mdb";
    return s;
}

struct Built {
    bool failed = false;
    Lines lines;
    std::string bytes;
    bool committed = false;
    std::vector<test::ShownMessage> messages;
    int builtCalls = 0;
};

struct Options {
    bool high = false;
    bool commonCode = false;
    bool encrypt = true;
    bool fullPath = false;
    std::string modulePath = "C:\\Work\\Orders.bas";
    std::size_t failAfterBytes = static_cast<std::size_t>(-1);
};

Built Build(const Database& db, const Options& o = {}) {
    const CodePage cp = CodePage::Open(1252);
    test::RecordingMessenger messenger;
    PendingError pending;
    Reporter reporter{pending, messenger};
    test::FixedHost host;
    host.commonCode = o.commonCode;
    host.encrypt = o.encrypt;
    host.fullPath = o.fullPath;
    test::MemoryTarget target;
    target.failAfterBytes = o.failAfterBytes;
    const std::string path = db.Info().path;
    std::string name;
    std::optional<std::string> ext{std::string()};
    StripFilePath(path, nullptr, &name, &ext, reporter);
    const BuildInputs inputs{db, path, name, o.high, cp};
    Built b;
    b.failed = BuildModuleFile(o.modulePath, inputs, host, reporter, target.Opener());
    b.bytes = target.bytes;
    b.committed = target.committed;
    if (!b.failed) {
        b.lines = test::SplitLines(target.bytes);
    }
    b.messages = messenger.shown;
    b.builtCalls = host.builtCalls;
    return b;
}

Built Build(const Schema& schema, const Options& o = {}) {
    return Build(SchemaDatabase(schema), o);
}

// The lines after "    ' Create the Tables" up to the closing lines.
Lines Sections(const Lines& lines) {
    const auto begin = std::find(lines.begin(), lines.end(), "    ' Create the Tables");
    EXPECT_NE(begin, lines.end());
    return Lines(begin + 1, lines.end() - 3);
}

Lines Check(const std::string& report) {
    return {"    If Err <> 0 Then", "        DisplayError \"" + report + "\"", "        Exit Function",
            "    End If"};
}

Lines Join(std::initializer_list<Lines> parts) {
    Lines all;
    for (const Lines& p : parts) {
        all.insert(all.end(), p.begin(), p.end());
    }
    return all;
}

long Count(const Lines& lines, const std::string& line) {
    return std::count(lines.begin(), lines.end(), line);
}

TEST(TableSection, CustomersAtLowLevel) {
    Schema s = OrdersSchema();
    s.tableDefs = {Customers()};
    const Built b = Build(s);
    ASSERT_FALSE(b.failed);
    const Lines expected = Join({
        {"    ' Table, Field, and Index Creation",
         "    Set myTable = OrdersDB.CreateTableDef(\"Customers\")"},
        Check("CreateOrdersDB().CreateTable: Customers"),
        {"    With zField", "        .fdName = \"ID\"", "        .fdType = 4", "        .fdSize = 4",
         "        .fdAttributes = 17", "        .fdOrdinalPosition = 0",
         "        .fdRequired = True", "    End With", "    CreateField myTable, zField", ""},
        Check("CreateOrdersDB(): Customers"),
        {"    OrdersDB.TableDefs.Append myTable"},
        Check("CreateOrdersDB().AppendTable: Customers"),
        {"    ' Indexes for the current table", "    ReDim zIndex.idFieldName(1 To 1)",
         "    zIndex.idInitialized = True", "    With zIndex", "        .idName = \"PrimaryKey\"",
         "        .idPrimary = True", "        .idRequired = True", "        .idUnique = True",
         "        .idFieldName(1) = \"ID\"", "    End With", "    AddIndex myTable, zIndex", ""},
        Check("CreateOrdersDB().AddIndex: Customers"),
        {""},
    });
    EXPECT_THAT(Sections(b.lines), ElementsAreArray(expected));
}

TEST(TableSection, FieldWithEveryPropertyAndSafeLiterals) {
    Schema s = OrdersSchema();
    TableDef t = Table("Order \"Items\"");
    FieldDef f = Field("Note", 10, 50, 2, 3);
    f.allowZeroLength = true;
    f.required = true;
    f.defaultValue = "\"n/a\"";
    f.validationRule = "Like \"A*\"";
    f.validationText = "Must start with \"A\".\r\nTry again.";
    t.fields = {f};
    IndexDef x;
    x.name = "All";
    x.clustered = x.ignoreNulls = x.primary = x.required = x.unique = true;
    x.fields = {"Note", "Other"};
    t.indexes = {x};
    s.tableDefs = {t};
    const Lines sections = Sections(Build(s).lines);
    const Lines expected = Join({
        {"    ' Table, Field, and Index Creation",
         "    Set myTable = OrdersDB.CreateTableDef(\"Order \"\"Items\"\"\")",
         "    If Err <> 0 Then",
         "        DisplayError \"CreateOrdersDB().CreateTable: Order \"\"Items\"\"\"",
         "        Exit Function", "    End If", "    With zField", "        .fdName = \"Note\"",
         "        .fdType = 10", "        .fdSize = 50", "        .fdAllowZeroLength = True",
         "        .fdAttributes = 2", "        .fdDefaultValue = \"\"\"n/a\"\"\"",
         "        .fdOrdinalPosition = 3", "        .fdRequired = True",
         "        .fdValidationRule = \"Like \"\"A*\"\"\"",
         "        .fdValidationText = \"Must start with \"\"A\"\".\" & Chr(13) & Chr(10) & "
         "\"Try again.\"",
         "    End With", "    CreateField myTable, zField", ""},
    });
    EXPECT_THAT(Lines(sections.begin(), sections.begin() + expected.size()),
                ElementsAreArray(expected));
    EXPECT_THAT(sections, ::testing::IsSupersetOf(Lines{
                              "        .idClustered = True", "        .idIgnoreNulls = True",
                              "        .idPrimary = True", "        .idRequired = True",
                              "        .idUnique = True", "        .idFieldName(1) = \"Note\"",
                              "        .idFieldName(2) = \"Other\""}));
}

TEST(TableSection, MinimalFieldGetsOnlyItsFixedLines) {
    Schema s = OrdersSchema();
    TableDef t = Table("T");
    t.fields = {Field("F", -5, -1, 0, -2)};
    s.tableDefs = {t};
    const Lines sections = Sections(Build(s).lines);
    EXPECT_THAT(Lines(sections.begin() + 6, sections.begin() + 14),
                ElementsAre("    With zField", "        .fdName = \"F\"", "        .fdType = -5",
                            "        .fdSize = -1", "        .fdOrdinalPosition = -2",
                            "    End With", "    CreateField myTable, zField", ""));
}

TEST(TableSection, SelectionAndLinkedTables) {
    Schema s = OrdersSchema();
    TableDef linked = Table("Prices", 0x40000000);
    linked.sourceTableName = "Price List";
    linked.connect = ";DATABASE=C:\\Data\\Catalog.mdb";
    linked.fields = {Field("Ignored", 4, 4, 0, 0)};
    TableDef hidden = Table("Settings", 1);
    TableDef foreignOnly = Table("Lines");
    IndexDef fk;
    fk.name = "OrdersLines";
    fk.foreign = true;
    fk.fields = {"OrderID"};
    foreignOnly.indexes = {fk};
    s.tableDefs = {Table("MSysObjects", static_cast<std::int32_t>(0x80000002u)),
                   Table("Staff", 0x20000000),
                   Table("StaffLinked", 0x60000000),
                   Table("SysBit2", 2),
                   linked,
                   hidden,
                   foreignOnly};
    const Lines sections = Sections(Build(s).lines);
    const Lines expected = Join({
        {"    ' Table, Field, and Index Creation",
         "    Set myTable = OrdersDB.CreateTableDef(\"Prices\")"},
        Check("CreateOrdersDB().CreateTable: Prices"),
        {"    myTable.SourceTableName = \"Price List\"",
         "    myTable.Connect = \";DATABASE=C:\\Data\\Catalog.mdb\""},
        Check("CreateOrdersDB(): Prices"),
        {"    OrdersDB.TableDefs.Append myTable"},
        Check("CreateOrdersDB().AppendTable: Prices"),
        {"", "    ' Table, Field, and Index Creation",
         "    Set myTable = OrdersDB.CreateTableDef(\"Settings\")"},
        Check("CreateOrdersDB().CreateTable: Settings"),
        Check("CreateOrdersDB(): Settings"),
        {"    OrdersDB.TableDefs.Append myTable"},
        Check("CreateOrdersDB().AppendTable: Settings"),
        {"    ' Indexes for the current table"},
        Check("CreateOrdersDB().AddIndex: Settings"),
        {"", "    ' Table, Field, and Index Creation",
         "    Set myTable = OrdersDB.CreateTableDef(\"Lines\")"},
        Check("CreateOrdersDB().CreateTable: Lines"),
        Check("CreateOrdersDB(): Lines"),
        {"    OrdersDB.TableDefs.Append myTable"},
        Check("CreateOrdersDB().AppendTable: Lines"),
        {"    ' Indexes for the current table"},
        Check("CreateOrdersDB().AddIndex: Lines"),
        {""},
    });
    EXPECT_THAT(sections, ElementsAreArray(expected));
}

TEST(RelationSection, CustomersOrdersAtHighLevel) {
    Schema s = OrdersSchema();
    s.tableDefs = {Customers(), Table("Orders")};
    s.relations = {CustomersOrders()};
    const Lines lines = Build(s, {.high = true}).lines;
    const auto begin = std::find(lines.begin(), lines.end(), "    ' Relationship Creation");
    ASSERT_NE(begin, lines.end());
    const Lines expected = Join({
        {"    ' Relationship Creation", "    ReDim zRelation.rdFieldName(1 To 1)",
         "    ReDim zRelation.rdForeignName(1 To 1)",
         "    ' rdFieldName() and rdForeignName() has been",
         "    ' initialized and noted at this one spot.", "    zRelation.rdInitialized = True",
         "    With zRelation", "        .rdName = \"CustomersOrders\"",
         "        .rdAttributes = 4096", "        .rdTable = \"Customers\"",
         "        .rdForeignTable = \"Orders\"", "        .rdFieldName(1) = \"ID\"",
         "        .rdForeignName(1) = \"CustomerID\"", "    End With",
         "    AddRelation OrdersDB, zRelation"},
        Check("CreateOrdersDB().AddRelation: CustomersOrders"),
        {"    OrdersDB.Close", "    CreateOrdersDB = False", "End Function"},
    });
    EXPECT_THAT(Lines(begin, lines.end()), ElementsAreArray(expected));
}

TEST(RelationSection, LeftOutWhenATableGetsNoSection) {
    Schema s = OrdersSchema();
    s.tableDefs = {Customers(), Table("Orders"), Table("Remote", 0x20000000),
                   Table("MSysACEs", static_cast<std::int32_t>(0x80000002u))};
    auto rel = [](std::string name, std::string table, std::string foreign) {
        return Relation{std::move(name), std::move(table), std::move(foreign), 0,
                        {{"ID", "ID"}}};
    };
    s.relations = {rel("ToOdbc", "Customers", "Remote"), rel("FromSystem", "MSysACEs", "Orders"),
                   rel("Missing", "Customers", "Nowhere"), rel("CaseDiffers", "CUSTOMERS", "orders"),
                   rel("Kept", "Customers", "Orders")};
    const Lines lines = Build(s).lines;
    EXPECT_EQ(Count(lines, "    ' Relationship Creation"), 2);
    EXPECT_EQ(Count(lines, "        .rdName = \"CaseDiffers\""), 1);
    EXPECT_EQ(Count(lines, "        .rdName = \"Kept\""), 1);
    EXPECT_EQ(Count(lines, "    zRelation.rdInitialized = True"), 1);
    EXPECT_EQ(Count(lines, "        .rdAttributes = 0"), 0);
}

TEST(QuerySection, TextStaysOnOneLine) {
    Schema s = OrdersSchema();
    s.queryDefs = {{"~sq_cForm", "SELECT \"a\"\r\nFROM T;"}, {"Empty", ""}};
    for (const bool high : {false, true}) {
        const Lines sections = Sections(Build(s, {.high = high}).lines);
        Lines expected = {"    ' Query Definition Creation"};
        if (high) {
            expected.push_back("    ' The Query definitions are created here");
            expected.push_back("    ' which are precompiled SQL statements.");
        }
        const Lines rest = Join({
            {"    Set myQuery = OrdersDB.CreateQueryDef(\"~sq_cForm\", \"SELECT \"\"a\"\"\" & "
             "Chr(13) & Chr(10) & \"FROM T;\")"},
            Check("CreateOrdersDB().CreateQueryDef: ~sq_cForm"),
            {"    myQuery.Close", "    ' Query Definition Creation",
             "    Set myQuery = OrdersDB.CreateQueryDef(\"Empty\", \"\")"},
            Check("CreateOrdersDB().CreateQueryDef: Empty"),
            {"    myQuery.Close"},
        });
        expected.insert(expected.end(), rest.begin(), rest.end());
        EXPECT_THAT(sections, ElementsAreArray(expected)) << high;
    }
}

TEST(OnceFlags, WrittenOnceAcrossTablesAndAgainInTheNextRun) {
    Schema s = OrdersSchema();
    TableDef noIndex = Table("First");
    TableDef a = Customers();
    TableDef b = Customers();
    b.name = "Orders";
    s.tableDefs = {noIndex, a, b};
    s.queryDefs = {{"Q1", "SELECT 1;"}, {"Q2", "SELECT 2;"}};
    s.relations = {CustomersOrders(), CustomersOrders()};
    const SchemaDatabase db(s);
    for (int run = 0; run < 2; ++run) {
        const Lines lines = Build(db, {.high = true}).lines;
        EXPECT_EQ(Count(lines, "    zIndex.idInitialized = True"), 1) << run;
        EXPECT_EQ(Count(lines, "    ' idFieldName() has been initialized and"), 1) << run;
        EXPECT_EQ(Count(lines, "    ' The Query definitions are created here"), 1) << run;
        EXPECT_EQ(Count(lines, "    zRelation.rdInitialized = True"), 1) << run;
        EXPECT_EQ(Count(lines, "    ' rdFieldName() and rdForeignName() has been"), 1) << run;
        // The first index block of the first table that has one carries the flag.
        const auto flag = std::find(lines.begin(), lines.end(), "    zIndex.idInitialized = True");
        EXPECT_EQ(*(flag - 3), "    ReDim zIndex.idFieldName(1 To 1)");
        EXPECT_EQ(*(flag + 2), "        .idName = \"PrimaryKey\"");
    }
    const Lines low = Build(db).lines;
    EXPECT_EQ(Count(low, "    ' The Query definitions are created here"), 0);
    EXPECT_EQ(Count(low, "    ' idFieldName() has been initialized and"), 0);
    EXPECT_EQ(Count(low, "    zIndex.idInitialized = True"), 1);
    EXPECT_EQ(Count(low, "    zRelation.rdInitialized = True"), 1);
}

TEST(Skeleton, ShortestModule) {
    const Built b = Build(OrdersSchema());
    ASSERT_FALSE(b.failed);
    EXPECT_TRUE(b.committed);
    EXPECT_EQ(b.builtCalls, 1);
    const Lines expected = Join({
        {"Attribute VB_Name = \"Orders\"", "' Orders.bas", "' Source Code Generated by Vellumtide.",
         "' Author:  Marrowlane", "' Version: 1.11.0", "'",
         "'  _______________________________________________________________________",
         "' |                                                                       |",
         "' | The code in this file has been originally created for the Jet Engine. |",
         "' | This module contains functions and/or procedures you may change to    |",
         "' | provide the functionality you require.                                |",
         "' |                                                                       |",
         "' | For more information, see the Vellumtide documentation or             |",
         "' | the documentation which came with your development package.           |",
         "' |                                                                       |",
         "' |_______________________________________________________________________|",
         "Option Explicit", "", "Public OrdersDB as Database", "",
         "Public Function CreateOrdersDB() as Boolean", "    Dim myTable as TableDef",
         "    Dim zField as FieldDesign", "    Dim zIndex as IndexDesign",
         "    Dim zRelation as RelationDesign", "    Dim myQuery as QueryDef", "",
         "    On Error Resume Next", "    CreateOrdersDB = True", "    zIndex.idInitialized = False",
         "    zRelation.rdInitialized = False", "    InitField zField", "    InitIndex zIndex",
         "    InitRelation zRelation",
         "    Set OrdersDB = CreateDatabase(\"Orders.mdb\", dbLangGeneral, dbEncrypt)"},
        Check("CreateOrdersDB().CreateDatabase"),
        {"    ' Create the Tables", "    OrdersDB.Close", "    CreateOrdersDB = False",
         "End Function"},
    });
    EXPECT_THAT(b.lines, ElementsAreArray(expected));
    EXPECT_EQ(b.bytes.substr(b.bytes.size() - 14), "End Function\r\n");
    ASSERT_EQ(b.messages.size(), 0u);
}

TEST(Skeleton, BoxLinesHaveTheirWidths) {
    const Lines lines = Build(OrdersSchema()).lines;
    EXPECT_EQ(lines[6].size(), 74u);
    for (int i = 7; i <= 15; ++i) {
        EXPECT_EQ(lines[i].size(), 75u) << i;
        EXPECT_EQ(lines[i].substr(0, 3), "' |");
        EXPECT_EQ(lines[i].back(), '|');
    }
    EXPECT_EQ(lines[15], "' |" + std::string(71, '_') + "|");
}

TEST(Skeleton, HighLevelAndCommonCode) {
    const Lines lines = Build(OrdersSchema(), {.high = true, .commonCode = true}).lines;
    EXPECT_THAT(Lines(lines.begin() + 18, lines.begin() + 22),
                ElementsAre("' This is the database object which is referenced",
                            "' for creating this database.", "Public OrdersDB as Database", ""));
    EXPECT_EQ(lines[22], "' FieldDesign contains the features, properties,");
    const auto head = std::find(lines.begin(), lines.end(),
                                "' CreateOrdersDB() is the main routine which creates the");
    ASSERT_NE(head, lines.end());
    EXPECT_EQ(*(head - 1), "'");
    EXPECT_EQ(*(head + 1), "' database.  This function is unique for this particular database.");
    // 3 type blocks (15 + 13 + 12 lines at high level), 181 routine lines, then the head.
    EXPECT_EQ(head - lines.begin() - 1, 22 + 15 + 13 + 12 + 181);
    const Lines low = Build(OrdersSchema(), {.commonCode = true}).lines;
    EXPECT_EQ(low.size(), 43u + 13 + 11 + 10 + 151);
}

TEST(Skeleton, CreateDatabaseLine) {
    struct Case {
        std::string path;
        bool encrypt;
        bool fullPath;
        std::int32_t collating;
        std::string line;
    };
    const Case cases[] = {
        {"C:\\Data\\Orders.mdb", true, false, 1033,
         "    Set OrdersDB = CreateDatabase(\"Orders.mdb\", dbLangGeneral, dbEncrypt)"},
        {"C:\\Data\\Orders.mdb", false, false, 1041,
         "    Set OrdersDB = CreateDatabase(\"Orders.mdb\", dbLangNordic)"},
        {"C:\\Data\\Orders.mdb", true, true, 1049,
         "    Set OrdersDB = CreateDatabase(\"C:\\Data\\Orders.mdb\", dbLangCyrillic, dbEncrypt)"},
        {"/srv/db/Sales 1997.mdb", false, false, 1033,
         "    Set Sales199DB = CreateDatabase(\"Sales 1997.mdb\", dbLangGeneral)"},
        {"/srv/db/Inventory.mdb", false, true, 1033,
         "    Set InventorDB = CreateDatabase(\"/srv/db/Inventory.mdb\", dbLangGeneral)"},
        {"C:\\x\\123.mdb", false, false, 1033,
         "    Set DB = CreateDatabase(\"123.mdb\", dbLangGeneral)"},
        {"C:\\x\\Q\"uote.mdb", false, false, 1033,
         "    Set QuoteDB = CreateDatabase(\"Q\"\"uote.mdb\", dbLangGeneral)"},
    };
    for (const Case& c : cases) {
        Schema s;
        s.info.path = c.path;
        s.info.collatingOrder = c.collating;
        const Lines lines = Build(s, {.encrypt = c.encrypt, .fullPath = c.fullPath}).lines;
        EXPECT_EQ(lines[34], c.line) << c.path;
    }
}

TEST(Skeleton, ModuleNameFromThePath) {
    struct Case {
        std::string modulePath;
        std::string a1;
        std::string a2;
    };
    const Case cases[] = {
        {"C:\\Work\\my.schema.bas", "Attribute VB_Name = \"my\"", "' my.bas"},
        {"C:\\Work\\Orders", "Attribute VB_Name = \"Orders\"", "' Orders.bas"},
        {"/home/u/Order Entry.bas", "Attribute VB_Name = \"Order Entry\"", "' Order Entry.bas"},
        {"/home/u/say \"hi\".bas", "Attribute VB_Name = \"say ?hi?\"", "' say ?hi?.bas"},
    };
    for (const Case& c : cases) {
        const Lines lines = Build(OrdersSchema(), {.modulePath = c.modulePath}).lines;
        EXPECT_EQ(lines[0], c.a1);
        EXPECT_EQ(lines[1], c.a2);
    }
}

TEST(Skeleton, UnknownCollatingOrderIsReportedAndGeneralUsed) {
    Schema s = OrdersSchema();
    s.info.collatingOrder = 1028;
    const Built b = Build(s);
    ASSERT_FALSE(b.failed);
    EXPECT_EQ(b.lines[34], "    Set OrdersDB = CreateDatabase(\"Orders.mdb\", dbLangGeneral, dbEncrypt)");
    ASSERT_EQ(b.messages.size(), 1u);
    EXPECT_EQ(b.messages[0].text, "Unknown CollatingOrder using dbLangGeneral");
    EXPECT_EQ(b.messages[0].style, box::kInformation);
}

TEST(Failure, ValueThatCannotBeReadEndsTheRun) {
    using Object = test::FaultyDatabase::Object;
    Schema s = OrdersSchema();
    s.tableDefs = {Customers(), Table("Orders")};
    s.queryDefs = {{"Q", "SELECT 1;"}};
    s.relations = {CustomersOrders()};
    const std::pair<Object, std::size_t> failures[] = {
        {Object::kCollatingOrder, 0}, {Object::kTable, 1}, {Object::kQuery, 0},
        {Object::kRelation, 0}};
    for (const auto& [object, index] : failures) {
        const test::FaultyDatabase db(s, object, index);
        const Built b = Build(db);
        EXPECT_TRUE(b.failed);
        EXPECT_FALSE(b.committed);
        EXPECT_EQ(b.builtCalls, 0);
        ASSERT_EQ(b.messages.size(), 1u);
        EXPECT_EQ(b.messages[0].style, box::kCritical);
        EXPECT_EQ(b.messages[0].text,
                  "Error in BuildModuleFile() <DAO.DBEngine> \r3049 : The object could not be read.");
        EXPECT_THAT(b.bytes, ::testing::Not(HasSubstr("End Function")));
    }
}

TEST(Failure, WriterFailureStopsAtOnceWithThePlainReport) {
    // Let the writes run out inside AddIndex.
    const Built full = Build(OrdersSchema(), {.commonCode = true});
    const std::string marker = "    Set myIndex = oTableName.CreateIndex(zIndexInfo.idName)\r\n";
    const auto cut = full.bytes.find(marker);
    ASSERT_NE(cut, std::string::npos);
    const Built b = Build(OrdersSchema(), {.commonCode = true, .failAfterBytes = cut + 10});
    EXPECT_TRUE(b.failed);
    EXPECT_FALSE(b.committed);
    ASSERT_EQ(b.messages.size(), 1u);
    EXPECT_EQ(b.messages[0].text, "BuildModuleFile()");
    EXPECT_EQ(b.messages[0].style, box::kInformation);
    EXPECT_EQ(b.bytes, full.bytes.substr(0, cut));
    EXPECT_THAT(b.bytes, ::testing::Not(HasSubstr("AddRelation")));
}

TEST(Failure, OutputThatCannotBeOpenedIsReported) {
    const CodePage cp = CodePage::Open(1252);
    test::RecordingMessenger messenger;
    PendingError pending;
    Reporter reporter{pending, messenger};
    test::FixedHost host;
    const SchemaDatabase db(OrdersSchema());
    const BuildInputs inputs{db, "C:\\Data\\Orders.mdb", "Orders", false, cp};
    const bool failed = BuildModuleFile("/no/such/folder/x.bas", inputs, host, reporter);
    EXPECT_TRUE(failed);
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_THAT(messenger.shown[0].text, HasSubstr("Error in BuildModuleFile() <Vellumtide> \r76 : "));
    EXPECT_EQ(host.builtCalls, 0);
}

TEST(BuildOutcome, OneMessageByResult) {
    struct Case {
        bool failed;
        ErrorRecord pending;
        std::string text;
        int style;
    };
    const Case cases[] = {
        {true, {}, "Build Module completed with errors!", box::kInformation},
        {false, {75, "D", "S"}, "Error in BuildModule() <S> \r75 : D", box::kCritical},
        {false, {}, "Build Module complete.", box::kInformation},
    };
    for (const Case& c : cases) {
        test::RecordingMessenger messenger;
        PendingError pending;
        pending.Set(c.pending);
        Reporter reporter{pending, messenger};
        ReportBuildOutcome(c.failed, reporter);
        ASSERT_EQ(messenger.shown.size(), 1u);
        EXPECT_EQ(messenger.shown[0].text, c.text);
        EXPECT_EQ(messenger.shown[0].style, c.style);
    }
}

}  // namespace
}  // namespace vt
