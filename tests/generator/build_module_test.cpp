// What the reviewed modules (golden_test) cannot show: names and the
// CreateDatabase line per input, what is left out, the once-only lines of a
// second run, and every way a run fails.

#include "generator/build_module.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "generator/design_properties.h"
#include "generator/printer.h"
#include "generator/quote.h"
#include "generator/support_routines.h"
#include "support/fakes.h"

namespace vt {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

TableDef Table(std::string name, std::int32_t attributes = 0) {
    TableDef t;
    t.name = std::move(name);
    t.attributes = attributes;
    return t;
}

TableDef WithPrimaryKey(std::string name) {
    TableDef t = Table(std::move(name));
    FieldDef id;
    id.name = "ID";
    id.type = DaoType::kLong;
    t.fields = {id};
    IndexDef key;
    key.name = "PrimaryKey";
    key.primary = true;
    key.fields = {"ID"};
    t.indexes = {key};
    return t;
}

Relation Relate(std::string name, std::string table, std::string foreign) {
    return {std::move(name), std::move(table), std::move(foreign), 0, {{"ID", "ID"}}};
}

Schema Orders() {
    Schema s;
    s.info.path = "C:\\Data\\Orders.mdb";
    return s;
}

std::vector<std::string> Lines(const test::BuildResult& built) {
    return test::SplitLines(built.bytes);
}

std::string LineStartingWith(const std::vector<std::string>& lines, const std::string& start) {
    const auto found = std::find_if(lines.begin(), lines.end(),
                                    [&](const std::string& l) { return l.rfind(start, 0) == 0; });
    return found == lines.end() ? std::string() : *found;
}

long Count(const std::vector<std::string>& lines, const std::string& line) {
    return std::count(lines.begin(), lines.end(), line);
}

TEST(ModuleNames, FromTheModulePathAndTheDatabasePath) {
    struct Case {
        std::string modulePath, databasePath;
        bool encrypt, fullPath;
        std::int32_t collating;
        std::string header, createDatabase;
    };
    const Case cases[] = {
        {"C:\\Work\\my.schema.bas", "C:\\Data\\Orders.mdb", true, false, 1033,
         "Attribute VB_Name = \"my\"|' my.bas",
         "    Set OrdersDB = CreateDatabase(\"Orders.mdb\", dbLangGeneral, dbEncrypt)"},
        {"C:\\Work\\Orders", "C:\\Data\\Orders.mdb", false, true, 1049,
         "Attribute VB_Name = \"Orders\"|' Orders.bas",
         "    Set OrdersDB = CreateDatabase(\"C:\\Data\\Orders.mdb\", dbLangCyrillic)"},
        {"/home/u/say \"hi\".bas", "/srv/db/Sales 1997.mdb", false, false, 1041,
         "Attribute VB_Name = \"say ?hi?\"|' say ?hi?.bas",
         "    Set Sales199DB = CreateDatabase(\"Sales 1997.mdb\", dbLangJapanese)"},
        {"/home/u/Order Entry.bas", "C:\\x\\Q\"uote 123.mdb", false, false, 1033,
         "Attribute VB_Name = \"Order Entry\"|' Order Entry.bas",
         "    Set Quote123DB = CreateDatabase(\"Q\"\"uote 123.mdb\", dbLangGeneral)"},
        {"x.bas", "C:\\x\\123.mdb", false, false, 1033, "Attribute VB_Name = \"x\"|' x.bas",
         "    Set DB = CreateDatabase(\"123.mdb\", dbLangGeneral)"},
    };
    for (const Case& c : cases) {
        Schema s;
        s.info.path = c.databasePath;
        s.info.collatingOrder = c.collating;
        const auto built = test::BuildToMemory(
            SchemaDatabase(s), {.encrypt = c.encrypt, .fullPath = c.fullPath, .modulePath = c.modulePath});
        const auto lines = Lines(built);
        EXPECT_EQ(lines[0] + "|" + lines[1], c.header) << c.modulePath;
        EXPECT_EQ(LineStartingWith(lines, c.createDatabase.substr(0, 12)), c.createDatabase) << c.databasePath;
        EXPECT_TRUE(built.messages.empty());
    }
}

TEST(ModuleNames, UnknownCollatingOrderIsReportedAndGeneralUsed) {
    Schema s = Orders();
    s.info.collatingOrder = 1024;  // dbSortNeutral: no language constant
    const auto built = test::BuildToMemory(SchemaDatabase(s));
    ASSERT_FALSE(built.failed);
    EXPECT_THAT(built.bytes, HasSubstr("CreateDatabase(\"Orders.mdb\", dbLangGeneral, dbEncrypt)"));
    ASSERT_EQ(built.messages.size(), 1u);
    EXPECT_EQ(built.messages[0].text, "Unknown CollatingOrder using dbLangGeneral");
    EXPECT_EQ(built.messages[0].style, box::kInformation);
}

TEST(Selection, RelationsOnlyBetweenTablesTheModuleCreates) {
    Schema s = Orders();
    s.tableDefs = {WithPrimaryKey("Customers"), Table("Orders"), Table("Remote", 0x20000000),
                   Table("Linked", 0x40000000),
                   Table("MSysACEs", static_cast<std::int32_t>(0x80000002u))};
    s.relations = {Relate("ToOdbc", "Customers", "Remote"), Relate("FromSystem", "MSysACEs", "Orders"),
                   Relate("Missing", "Customers", "Nowhere"), Relate("CaseDiffers", "CUSTOMERS", "orders"),
                   Relate("ToLinked", "Linked", "Orders")};
    const auto lines = Lines(test::BuildToMemory(SchemaDatabase(s)));
    EXPECT_EQ(Count(lines, "    ' Relationship Creation"), 2);
    EXPECT_EQ(Count(lines, "        .rdName = \"CaseDiffers\""), 1);
    EXPECT_EQ(Count(lines, "        .rdName = \"ToLinked\""), 1);
    EXPECT_EQ(Count(lines, "    ' Table, Field, and Index Creation"), 3);
    EXPECT_EQ(Count(lines, "    Set myTable = OrdersDB.CreateTableDef(\"Remote\")"), 0);
}

TEST(OnceOnlyLines, OncePerRunAndAgainInTheNextRun) {
    Schema s = Orders();
    s.tableDefs = {Table("First"), WithPrimaryKey("Customers"), WithPrimaryKey("Orders")};
    s.queryDefs = {{"Q1", "SELECT 1;"}, {"Q2", "SELECT 2;"}};
    s.relations = {Relate("A", "Customers", "Orders"), Relate("B", "Customers", "Orders")};
    const SchemaDatabase db(s);
    for (const bool high : {true, true, false}) {
        const auto lines = Lines(test::BuildToMemory(db, {.high = high}));
        EXPECT_EQ(Count(lines, "    zIndex.idInitialized = True"), 1);
        EXPECT_EQ(Count(lines, "    zRelation.rdInitialized = True"), 1);
        EXPECT_EQ(Count(lines, "    ' idFieldName() has been initialized and"), high ? 1 : 0);
        EXPECT_EQ(Count(lines, "    ' The Query definitions are created here"), high ? 1 : 0);
        EXPECT_EQ(Count(lines, "    ' rdFieldName() and rdForeignName() has been"), high ? 1 : 0);
        // In the first index block of the first table that has one.
        const auto flag = std::find(lines.begin(), lines.end(), "    zIndex.idInitialized = True");
        EXPECT_EQ(*(flag - (high ? 3 : 1)), "    ReDim zIndex.idFieldName(1 To 1)");
        EXPECT_EQ(*(flag + 2), "        .idName = \"PrimaryKey\"");
    }
}

TEST(Collating, EveryOrderDaoHasAConstantForGetsIt) {
    const std::pair<std::int32_t, const char*> cases[] = {
        {1033, "dbLangGeneral"},         {1041, "dbLangJapanese"}, {1042, "dbLangKorean"},
        {1054, "dbLangThai"},            {1060, "dbLangSlovenian"}, {2052, "dbLangChineseSimplified"},
        {1028, "dbLangChineseTraditional"}, {1053, "dbLangSwedfin"}, {1030, "dbLangNorwdan"},
    };
    for (const auto& [order, constant] : cases) {
        EXPECT_EQ(CollatingOrderConstant(order), std::optional<std::string>(constant)) << order;
    }
    for (const std::int32_t unlisted : {1024, 1031, 0, -1, 3082}) {
        EXPECT_FALSE(CollatingOrderConstant(unlisted).has_value()) << unlisted;
    }
}

TEST(PassThrough, ConnectGoesBeforeTheSqlThenReturnsRecords) {
    Schema s = Orders();
    s.queryDefs = {{"Remote", "EXEC sp_who"}};
    s.queryDefs[0].type = query_type::kPassThroughBulk;
    s.queryDefs[0].connect = "ODBC;DSN=Sales";
    s.queryDefs[0].returnsRecords = false;
    const auto lines = Lines(test::BuildToMemory(SchemaDatabase(s), {.commonCode = false}));
    const auto start = std::find(lines.begin(), lines.end(), "    ' Query Definition Creation");
    ASSERT_NE(start, lines.end());
    const std::vector<std::string> expected = {
        "    ' Query Definition Creation",
        "    Set myQuery = OrdersDB.CreateQueryDef(\"Remote\")",
        "    If Err <> 0 Then",
        "        DisplayError \"CreateOrdersDB().CreateQueryDef: Remote\"",
        "        Exit Function",
        "    End If",
        "    myQuery.Connect = \"ODBC;DSN=Sales\"",
        "    myQuery.SQL = \"EXEC sp_who\"",
        "    myQuery.ReturnsRecords = False",
        "    If Err <> 0 Then",
        "        DisplayError \"CreateOrdersDB().QueryDef: Remote\"",
        "        Exit Function",
        "    End If",
        "    myQuery.Close",
    };
    EXPECT_EQ(std::vector<std::string>(start, start + static_cast<long>(expected.size())), expected);
}

// The full design: every stored property is set once its object is saved,
// in stored order, each value a literal of its kind; what DAO cannot set or
// the engine keeps for the source is a comment. Hidden tables, ODBC links,
// the file format and a sort order without a constant come along.
TEST(FullDesign, PropertiesAfterTheirObjectIsSavedAndTheRestAsComments) {
    Schema s = Orders();
    s.info.engine = "Jet4";
    s.info.collatingOrder = 1051;  // Slovak: no DAO constant
    s.info.properties = {{"AppTitle", 10, std::string("Orders \"2024\"")}, {"ProjVer", 3, std::int64_t{35}}};
    TableDef items = WithPrimaryKey("Items");
    items.attributes = table_attr::kHiddenObject;
    items.indexes[0].descending = {true};
    items.properties = {{"Description", 12, std::string("What we sell")}, {"GUID", 9, std::string("00FF")}};
    items.fields[0].properties = {{"Caption", 10, std::string("Item")}, {"DecimalPlaces", 2, std::int64_t{255}},
                                  {"Format", 6, 0.5},  {"Since", 8, 36526.25},
                                  {"Big", 16, std::int64_t{1}}, {"ResultType", 2, std::int64_t{4}}};
    FieldDef twice;
    twice.name = "Twice";
    twice.type = DaoType::kLong;
    twice.expression = "[ID]*2";
    items.fields.push_back(twice);
    TableDef odbc = Table("Remote", table_attr::kAttachedOdbc);
    odbc.connect = "ODBC;DSN=Sales";
    odbc.sourceTableName = "dbo.Remote";
    s.tableDefs = {items, odbc};
    s.queryDefs = {{"Q", "SELECT 1;"}};
    s.queryDefs[0].properties = {{"ODBCTimeout", 3, std::int64_t{60}}, {"Hidden", 1, true}};
    const auto built = test::BuildToMemory(SchemaDatabase(s), {.commonCode = false, .fullDesign = true});
    const auto lines = Lines(built);
    const auto at = [&](const std::string& line) { return std::find(lines.begin(), lines.end(), "    " + line) - lines.begin(); };
    const std::vector<std::string> inOrder = {
        "Set OrdersDB = CreateDatabase(\"Orders.mdb\", \";LANGID=0x041B;CP=1252;COUNTRY=0\", dbVersion40 + dbEncrypt)",
        "SetProperty OrdersDB, \"AppTitle\", dbText, \"Orders \"\"2024\"\"\"",
        "' Property \"ProjVer\" of the database is left out: Access and the engine keep it for the source's own objects.",
        "Set myTable = OrdersDB.CreateTableDef(\"Items\")",
        "    .fdName = \"Twice\"",
        "    .fdExpression = \"[ID]*2\"",
        "myTable.Attributes = dbHiddenObject",
        "OrdersDB.TableDefs.Append myTable",
        "ReDim zIndex.idDescending(1 To 1)",
        "    .idDescending(1) = True",
        "AddIndex myTable, zIndex",
        "SetProperty myTable, \"Description\", dbMemo, \"What we sell\"",
        "' Property \"GUID\" of table \"Items\" is left out: Access and the engine keep it for the source's own objects.",
        "SetProperty myTable.Fields(\"ID\"), \"Caption\", dbText, \"Item\"",
        "SetProperty myTable.Fields(\"ID\"), \"DecimalPlaces\", dbByte, 255",
        "SetProperty myTable.Fields(\"ID\"), \"Format\", dbSingle, 0.5",
        "SetProperty myTable.Fields(\"ID\"), \"Since\", dbDate, CDate(36526.25)",
        "' Property \"Big\" of field \"ID\" is left out: DAO's CreateProperty takes no value of its type (16).",
        "' Property \"ResultType\" of field \"ID\" is left out: the engine sets it from the field's type and expression.",
        "Set myTable = OrdersDB.CreateTableDef(\"Remote\")",
        "myTable.SourceTableName = \"dbo.Remote\"",
        "myTable.Connect = \"ODBC;DSN=Sales\"",
        "Set myQuery = OrdersDB.CreateQueryDef(\"Q\", \"SELECT 1;\")",
        "SetProperty myQuery, \"ODBCTimeout\", dbInteger, 60",
        "SetProperty myQuery, \"Hidden\", dbBoolean, True",
        "myQuery.Close",
    };
    for (std::size_t i = 0; i < inOrder.size(); ++i) {
        ASSERT_LT(at(inOrder[i]), static_cast<long>(lines.size())) << inOrder[i];
        if (i > 0) {
            EXPECT_LT(at(inOrder[i - 1]), at(inOrder[i])) << inOrder[i];
        }
    }
    EXPECT_THAT(built.leftOut, ElementsAre(HasSubstr("'Big' is left out of 1 object: DAO's CreateProperty"),
                                           HasSubstr("'GUID' is left out of 1 object:"),
                                           HasSubstr("'ProjVer' is left out of 1 object:"),
                                           HasSubstr("'ResultType' is left out of 1 object:")));
    EXPECT_THAT(built.bytes, Not(HasSubstr("is calculated")));
    // The file formats, and no option at all without the full design.
    for (const auto& [engine, constant] : {std::pair{"Jet3", "dbVersion30"}, {"ACE12", "dbVersion120"}, {"ACE16", "dbVersion120"}}) {
        EXPECT_EQ(FileFormatConstant(engine), constant);
    }
    const auto plain = Lines(test::BuildToMemory(SchemaDatabase(s), {.commonCode = false, .encrypt = false}));
    EXPECT_EQ(LineStartingWith(plain, "    Set OrdersDB"), "    Set OrdersDB = CreateDatabase(\"Orders.mdb\", dbLangGeneral)");
    EXPECT_EQ(LineStartingWith(plain, "    SetProperty"), "");
    EXPECT_EQ(LineStartingWith(plain, "    myTable.Attributes"), "");
    EXPECT_EQ(LineStartingWith(plain, "    ReDim zIndex.idDescending"), "");
    EXPECT_EQ(LineStartingWith(plain, "        .fdExpression"), "");
    EXPECT_EQ(LineStartingWith(plain, "    Set myTable = OrdersDB.CreateTableDef(\"Remote\")"), "");
}

// A field of each type in an Items table, with an index on it and a
// relation to it: DAO's library for the target creates it, or the module
// says where it is left out, with its index and relation.
TEST(ColumnTypes, WrittenWhereDaoCreatesThemLeftOutWithACommentOtherwise) {
    struct Case {
        DaoType type;
        bool ace;
        bool created;
        const char* indexComment;  // nullptr: the index is written
    };
    const Case cases[] = {
        {DaoType::kText, false, true, nullptr},
        {DaoType::kDecimal, false, false, "its field \"Value\" is not created."},
        {DaoType::kDecimal, true, false, "its field \"Value\" is not created."},
        {DaoType::kBigInt, true, false, "its field \"Value\" is not created."},
        {DaoType::kDateTimeExtended, true, false, "its field \"Value\" is not created."},
        {DaoType::kChar, true, false, "its field \"Value\" is not created."},
        {static_cast<DaoType>(70), true, false, "its field \"Value\" is not created."},
        {DaoType::kAttachment, false, false, "its field \"Value\" is not created."},
        {DaoType::kAttachment, true, true, "the engine makes it with the field \"Value\"."},
        {DaoType::kComplexText, true, true, "the engine makes it with the field \"Value\"."},
        {DaoType::kComplexDecimal, true, false, "its field \"Value\" is not created."},
    };
    for (const Case& c : cases) {
        Schema s = Orders();
        s.info.engine = c.ace ? "ACE12" : "Jet4";
        TableDef items = WithPrimaryKey("Items");
        FieldDef value;
        value.name = "Value";
        value.type = c.type;
        items.fields.push_back(value);
        IndexDef byValue;
        byValue.name = "ByValue";
        byValue.fields = {"Value"};
        items.indexes.push_back(byValue);
        s.tableDefs = {items, WithPrimaryKey("Other")};
        s.relations = {{"ItemsOther", "Items", "Other", 0, {{"Value", "ID"}}}};
        const auto built = test::BuildToMemory(SchemaDatabase(s));
        const std::string what = DaoTypeName(c.type) + (c.ace ? " in ACE" : " in Jet");
        ASSERT_FALSE(built.failed) << what;
        EXPECT_EQ(built.bytes.find(".fdType = " + std::to_string(DaoCode(c.type)) + "\r\n") != std::string::npos,
                  c.created) << what;
        EXPECT_EQ(built.bytes.find("    ' Field \"Value\" is left out: DAO cannot create a field of its type (" +
                                   DaoTypeName(c.type) + ").\r\n") != std::string::npos,
                  !c.created) << what;
        if (c.indexComment != nullptr) {
            EXPECT_THAT(built.bytes, HasSubstr("    ' Index \"ByValue\" is left out: " + std::string(c.indexComment)))
                << what;
        }
        EXPECT_EQ(built.bytes.find("' Relationship \"ItemsOther\" is left out: its field \"Value\" of table "
                                   "\"Items\" is not created.") != std::string::npos,
                  !c.created) << what;
    }
}

TEST(ColumnTypes, ATableWithoutACreatableFieldAndItsRelationsAreLeftOut) {
    Schema s = Orders();
    TableDef prices = Table("Prices");
    FieldDef amount;
    amount.name = "Amount";
    amount.type = DaoType::kDecimal;
    prices.fields = {amount};
    TableDef totals = WithPrimaryKey("Totals");
    FieldDef calculated;
    calculated.name = "Twice";
    calculated.type = DaoType::kLong;
    calculated.expression = "[ID]*2";
    totals.fields.push_back(calculated);
    s.tableDefs = {prices, totals};
    s.relations = {Relate("PricesTotals", "Prices", "Totals")};
    const auto built = test::BuildToMemory(SchemaDatabase(s));
    EXPECT_THAT(built.bytes, HasSubstr("    ' Table \"Prices\" is left out: DAO can create none of its fields.\r\n"));
    EXPECT_THAT(built.bytes, Not(HasSubstr("CreateTableDef(\"Prices\")")));
    EXPECT_THAT(built.bytes, HasSubstr("    ' Relationship \"PricesTotals\" is left out: its table \"Prices\" is not created."));
    EXPECT_THAT(built.bytes, HasSubstr("    ' Field \"Twice\" is calculated: it is created as a plain field, "
                                       "without its expression.\r\n    With zField\r\n        .fdName = \"Twice\""));
}

TEST(Failure, AValueThatCannotBeReadEndsTheRunAndKeepsNothing) {
    using Object = test::FaultyDatabase::Object;
    Schema s = Orders();
    s.tableDefs = {WithPrimaryKey("Customers"), Table("Orders")};
    s.queryDefs = {{"Q", "SELECT 1;"}};
    s.relations = {Relate("R", "Customers", "Orders")};
    const std::pair<Object, std::size_t> failures[] = {
        {Object::kCollatingOrder, 0}, {Object::kTable, 1}, {Object::kQuery, 0}, {Object::kRelation, 0}};
    for (const auto& [object, index] : failures) {
        const auto built = test::BuildToMemory(test::FaultyDatabase(s, object, index));
        EXPECT_TRUE(built.failed);
        EXPECT_FALSE(built.committed);
        EXPECT_EQ(built.builtCalls, 0);
        ASSERT_EQ(built.messages.size(), 1u);
        EXPECT_EQ(built.messages[0].style, box::kCritical);
        EXPECT_EQ(built.messages[0].text,
                  "Error in BuildModuleFile() <DAO.DBEngine> \r3049 : The object could not be read.");
        EXPECT_THAT(built.bytes, Not(HasSubstr("End Function")));
    }
}

TEST(Failure, ASupportRoutineWriterThatFailsStopsTheRunWithThePlainReport) {
    const auto full = test::BuildToMemory(SchemaDatabase(Orders()));
    const auto cut = full.bytes.find("    Set myIndex = oTableName.CreateIndex(zIndexInfo.idName)\r\n");
    ASSERT_NE(cut, std::string::npos);
    const auto built = test::BuildToMemory(SchemaDatabase(Orders()), {.failAfterBytes = cut + 10});
    EXPECT_TRUE(built.failed);
    EXPECT_FALSE(built.committed);
    ASSERT_EQ(built.messages.size(), 1u);
    EXPECT_EQ(built.messages[0].text, "BuildModuleFile()");
    EXPECT_EQ(built.messages[0].style, box::kInformation);
    EXPECT_EQ(built.bytes, full.bytes.substr(0, cut + 10));  // what fitted on the disk
}

TEST(Failure, AnOutputThatCannotBeOpenedIsReported) {
    const CodePage cp = CodePage::Open(1252);
    test::RecordingMessenger messenger;
    PendingError pending;
    Reporter reporter{pending, messenger};
    test::FixedHost host;
    const SchemaDatabase db(Orders());
    const BuildInputs inputs{db, "C:\\Data\\Orders.mdb", "Orders", false, cp};
    EXPECT_TRUE(BuildModuleFile("/no/such/folder/x.bas", inputs, host, reporter));
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_THAT(messenger.shown[0].text, HasSubstr("Error in BuildModuleFile() <Vellumtide> \r76 : "));
    EXPECT_EQ(host.builtCalls, 0);
}

// One message by result; a complete build names its modules under the
// message when there are several, the one module only when asked to; a
// box that cannot hold more text carries them on lines of their own.
TEST(BuildOutcome, OneMessageByResult) {
    struct Case {
        bool failed;
        ErrorRecord pending;
        std::vector<std::string> written;
        bool nameOne;
        std::string text;
        int style;
    };
    const std::string more = "\rThe design needs 2 modules; add all of them to your project:\r";
    const Case cases[] = {
        {true, {}, {}, true, "Build Module completed with errors!", box::kInformation},
        {false, {75, "D", "S"}, {"/w/A.bas"}, true, "Error in BuildModule() <S> \r75 : D", box::kCritical},
        {false, {}, {"/w/A.bas"}, false, "Build Module complete.", box::kInformation},
        {false, {}, {"/w/A.bas"}, true, "Build Module complete.\rWritten to /w/A.bas", box::kInformation},
        {false, {}, {"/w/A.bas", "/w/A_2.bas"}, false,
         "Build Module complete." + more + "/w/A.bas\r/w/A_2.bas", box::kInformation},
    };
    for (const Case& c : cases) {
        test::RecordingMessenger messenger;
        PendingError pending;
        pending.Set(c.pending);
        Reporter reporter{pending, messenger};
        ReportBuildOutcome(c.failed, reporter, c.written, OutcomeBox{c.nameOne, ""});
        ASSERT_EQ(messenger.shown.size(), 1u);
        EXPECT_EQ(messenger.shown[0].text, c.text);
        EXPECT_EQ(messenger.shown[0].style, c.style);
    }
}

TEST(Printer, SubstitutesIndentsAndRefusesUnknownNames) {
    const CodePage cp = CodePage::Open(1252);
    test::MemoryTarget target;
    const auto output = target.Opener()("x");
    Printer p(*output, cp);
    p.Set("db", "OrdersDB");
    p.Print("A $db$ $n$$$\n", {{"n", -12}});
    p.Indent();
    p.Print("B $db$\n\nC ", {{"db", "local"}});
    const std::string finished = "A OrdersDB -12$\r\n    B local\r\n\r\n";
    EXPECT_EQ(target.bytes, "");  // until flushed
    p.Flush();  // the finished lines: "C " waits for the rest of its line
    EXPECT_EQ(target.bytes, finished);
    p.Print("$s$\n", {{"s", "Caf\xC3\xA9 au lait"}});  // not ASCII within its first eight bytes
    p.Outdent();
    p.Line("D");
    p.Flush();
    EXPECT_EQ(target.bytes, finished + "    C Caf\xE9 au lait\r\nD\r\n");
    EXPECT_THROW(p.Print("$unknown$\n"), ErrorException);
    EXPECT_THROW(p.Print("$open\n"), ErrorException);
    try {  // a name is on one line
        p.Print("$open\nand closed$\n");
        ADD_FAILURE() << "a $ closed on the next line was taken";
    } catch (const ErrorException& e) {
        EXPECT_THAT(e.what(), HasSubstr("unclosed $"));
    }
}

TEST(SupportRoutines, AFailedWriteEndsTheWriterWithTrue) {
    const CodePage cp = CodePage::Open(1252);
    test::MemoryTarget target;
    target.failAfterBytes = 100;
    const auto output = target.Opener()("x");
    Printer out(*output, cp);
    EXPECT_TRUE(WriteCreateField(out, {.highComments = true}));
    EXPECT_EQ(target.bytes.substr(0, 3), "'\r\n");
}

}  // namespace
}  // namespace vt
