// What the window shows of an open database beyond its list: the reader's
// notes, how many objects the list holds, and an object's details.

#include "ui/object_details.h"
#include "ui/text_windows.h"
#include "window_fixture.h"

namespace vt::ui::test {
namespace {

const std::string kJet = std::string(VT_TEST_DATA_DIR) + "/jet/";
const std::string kDecimalNote = "Table 'SchemaTest', field 'ColDecimal' has the Decimal type, which "
                                 "DAO cannot create; the module leaves it out.";
const std::string kDamagedNote = "Table 'Table1' cannot be read: its definition is damaged (a table "
                                 "definition declares more columns than it holds).";

struct OpenedCase {
    const char* file;   // under tests/data/jet/, else in the test folder
    std::string notes;  // shown, one a line; none: the notes are hidden
    const char* count;  // under the list
};

// Each open shows the notes of the database then current, and hides the
// notes area when it has none; a failed open leaves the earlier notes and
// count, a catalogue that cannot be read no count. Alt+N, Ctrl+A and Edit,
// Copy copy the notes.
TEST_F(WindowTest, NotesAndCountFollowTheOpenDatabase) {
    WriteSchema("Sales.json", SalesSchema());
    WriteSchema("Broken.json", SalesSchema());
    const OpenedCase cases[] = {
        {"kros-msaccess/MsAccessSchema.mdb", kDecimalNote, "2 tables, 0 queries, 2 relations"},
        {"Missing.mdb", kDecimalNote, "2 tables, 0 queries, 2 relations"},
        {"Sales.json", "", "4 tables, 1 query, 1 relation"},
        {"damaged/table-definition.mdb", kDamagedNote, "4 tables, 0 queries, 0 relations"},
        {"Broken.json", "", ""},
    };
    Show();
    for (const OpenedCase& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string jet = kJet + c.file;
        OpenThroughDialog(QFileInfo::exists(jet.c_str()) ? jet : Path(c.file));
        EXPECT_EQ(window->dbNotes->toPlainText().toStdString(), c.notes);
        EXPECT_EQ(window->dbNotes->isVisible(), !c.notes.empty());
        EXPECT_EQ(window->dbNotesLabel->isVisible(), !c.notes.empty());
        EXPECT_TRUE(window->dbNotes->isReadOnly());
        EXPECT_EQ(window->dbObjectCount->text().toStdString(), c.count);
    }

    OpenThroughDialog(kJet + cases[0].file);
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(window.get(), Qt::Key_N, Qt::AltModifier);
    ASSERT_TRUE(window->dbNotes->hasFocus());
    QTest::keyClick(window->dbNotes, Qt::Key_A, Qt::ControlModifier);
    window->menuCopy->trigger();
    EXPECT_TRUE(QTest::qWaitFor(
        [] { return QGuiApplication::clipboard()->text().toStdString() == kDecimalNote; }));
}

// Customers with a name beyond ASCII among its fields and indexes of every
// kind; a system table before a linked one, so that a line's row is not its
// table's place; a query whose SQL Jet keeps on two lines, a pass-through
// query, and a relation on two fields.
Schema DetailedSchema() {
    using namespace table_attr;
    const auto field = [](const char* name, DaoType type, std::int32_t size) {
        return FieldDef{.name = name, .type = type, .size = size};
    };
    TableDef customers{"Customers"};
    customers.fields = {field("ID", DaoType::kLong, 4), field("Name", DaoType::kText, 50),
                        field("Straße", DaoType::kText, 60), field("Notes", DaoType::kMemo, 0)};
    customers.indexes = {
        {.name = "PrimaryKey", .primary = true, .unique = true, .fields = {"ID"}},
        {.name = "ByAddress", .unique = true, .fields = {"Name", "Straße"}, .descending = {false, true}},
        {.name = "Name", .fields = {"Name"}}};
    TableDef prices{"Prices", kAttachedTable, ";DATABASE=C:\\Data\\Back.mdb", "Price List"};
    prices.fields = {field("Price", DaoType::kCurrency, 8)};
    QueryDef remote{"Remote", "EXEC Refresh"};
    remote.type = query_type::kPassThroughBulk;
    remote.connect = "ODBC;DSN=Sales";
    remote.returnsRecords = false;
    return {{"C:\\Data\\Shop.mdb"},
            {customers, {"MSysObjects", kSystemObject}, prices, {"Orders"}},
            {{"Current Orders", "SELECT *\r\nFROM Orders;"}, remote},
            {{"CustomersOrders", "Customers", "Orders", 0, {{"ID", "CustomerID"}, {"Name", "Customer"}}}}};
}

struct DetailsCase {
    const char* name;
    int row;
    bool doubleClick;    // else Enter
    const char* title;   // of the details window; none: a box instead
    std::string text;    // the details, or the box as logged
};
void PrintTo(const DetailsCase& c, std::ostream* out) { *out << c.name; }

class DetailsTest : public WindowTest, public ::testing::WithParamInterface<DetailsCase> {};

// Double-click or Enter on a line shows its object's details in a window of
// their own, beside the main window; an object the engine cannot read is
// reported instead.
TEST_P(DetailsTest, ShowsTheObjectOfTheLine) {
    const DetailsCase& c = GetParam();
    const bool damaged = c.title == nullptr;
    OpenThroughDialog(damaged ? kJet + "damaged/table-definition.mdb"
                              : WriteSchema("Shop.json", DetailedSchema()));
    Show();
    QListWidget* list = window->dbTableList;
    list->setCurrentRow(c.row);
    platform.log.clear();
    if (c.doubleClick) {
        // A double-click is a click and then the second press.
        const QPoint at = list->visualItemRect(list->item(c.row)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    } else {
        QTest::keyClick(list, Qt::Key_Return);
    }
    frmDetails* details = window->DetailsBox();
    EXPECT_EQ(details->isVisible(), !damaged);
    EXPECT_FALSE(details->isModal());
    if (damaged) {
        EXPECT_THAT(platform.Logged("box"), ElementsAre(c.text));
        return;
    }
    EXPECT_TRUE(platform.Logged("box").empty());
    EXPECT_EQ(details->windowTitle().toStdString(), c.title);
    EXPECT_EQ(details->detailsText->toPlainText().toStdString(), c.text);
    // The details belong to the database they were read from.
    OpenThroughDialog(WriteSchema("Sales.json", SalesSchema()));
    EXPECT_FALSE(details->isVisible());
}

INSTANTIATE_TEST_SUITE_P(Lines, DetailsTest, ::testing::Values(
    DetailsCase{"Table", 0, false, "Customers",
                "Table Customers\n"
                "\n"
                "Fields\n"
                "  Name    Type          Size\n"
                "  ID      Long Integer  4\n"
                "  Name    Text          50\n"
                "  Straße  Text          60\n"
                "  Notes   Memo          0\n"
                "\n"
                "Indexes\n"
                "  Name        Fields             Kind\n"
                "  PrimaryKey  ID                 primary\n"
                "  ByAddress   Name, Straße DESC  unique\n"
                "  Name        Name\n"},
    DetailsCase{"LinkedTableAfterASystemTable", 1, true, "Prices",
                "Table Prices\n"
                "Linked to Price List in ;DATABASE=C:\\Data\\Back.mdb\n"
                "\n"
                "Fields\n"
                "  Name   Type      Size\n"
                "  Price  Currency  8\n"
                "\n"
                "Indexes\n"
                "  none\n"},
    DetailsCase{"Query", 3, true, "Current Orders",
                "Query Current Orders\n\nSELECT *\nFROM Orders;\n"},
    DetailsCase{"PassThroughQuery", 4, false, "Remote",
                "Query Remote\nPass-through to ODBC;DSN=Sales; returns no records\n\nEXEC Refresh\n"},
    DetailsCase{"Relation", 5, false, "CustomersOrders",
                "Relation CustomersOrders\n"
                "Table Customers, foreign table Orders\n"
                "\n"
                "Fields\n"
                "  Customers.ID = Orders.CustomerID\n"
                "  Customers.Name = Orders.Customer\n"},
    DetailsCase{"TableThatCannotBeRead", 0, true, nullptr,
                "16 0 Error in ObjectDetails() <DAO.DBEngine> \r3049 : "}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vt::ui::test
