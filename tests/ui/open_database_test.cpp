// Open Database: the dialog, the tagged list, ODBC notices, every failure
// and the password prompt.

#include "window_fixture.h"

namespace vt::ui::test {
namespace {

using ::testing::ElementsAre;

class OpenDatabaseTest : public WindowTest {};

TEST_F(OpenDatabaseTest, DialogIsPreparedWithFilterTitleFlagsAndRememberedFolder) {
    platform.store["Vellumtide/Last Data Path"] = "/srv/data";
    platform.store["Vellumtide/Last Program Path"] = "/srv/code";
    window->LoadSettings();
    platform.openAnswers.push_back(std::nullopt);
    window->dbOpenDB_Click();

    ASSERT_EQ(platform.openRequests.size(), 1u);
    const FileDialogRequest& request = platform.openRequests[0];
    EXPECT_EQ(request.filter, "Access Database (*.mdb)|*.mdb|All Files (*.*)|*.*");
    EXPECT_EQ(request.filterIndex, 1);
    EXPECT_EQ(request.title, "Open MS Access Database");
    EXPECT_EQ(request.flags, 4);
    EXPECT_EQ(request.initialFolder, "/srv/data");
    EXPECT_EQ(request.fileName, "");
}

TEST_F(OpenDatabaseTest, CancelChangesNothingAndShowsNothing) {
    const std::string sales = WriteSchema("Sales.json", SalesSchema());
    OpenThroughDialog(sales);
    const auto linesBefore = ListLines();
    const Database* before = window->CurrentDatabase();
    platform.messages.clear();
    platform.pointerHistory.clear();

    platform.openAnswers.push_back(std::nullopt);
    window->dbOpenDB_Click();

    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(window->CurrentDatabase(), before);
    EXPECT_EQ(window->DatabasePath(), sales);
    EXPECT_EQ(window->dbDatabaseName->text().toStdString(), sales);
    EXPECT_EQ(ListLines(), linesBefore);
    EXPECT_EQ(platform.MousePointer(), pointer::kDefault);
    // The dialog offered the file opened before.
    EXPECT_EQ(platform.openRequests.back().fileName, sales);
}

TEST_F(OpenDatabaseTest, CancelOnFirstOpenLeavesBuildDisabled) {
    platform.openAnswers.push_back(std::nullopt);
    window->dbOpenDB_Click();
    EXPECT_EQ(window->CurrentDatabase(), nullptr);
    EXPECT_FALSE(window->dbBuildModule->isEnabled());
    EXPECT_TRUE(window->dbDatabaseName->text().isEmpty());
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(opens, 0);
}

TEST_F(OpenDatabaseTest, OpenListsTablesQueriesAndRelationsWithTheirTags) {
    const std::string sales = WriteSchema("Sales.json", SalesSchema());
    OpenThroughDialog(sales);

    EXPECT_THAT(ListLines(), ElementsAre("[Table        ]Customers", "[TableHidden  ]Notes",
                                         "[Table        ]Orders", "[TableAttached]Prices",
                                         "[Query        ]Current Orders",
                                         "[Relation     ]CustomersOrders"));
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_NE(window->CurrentDatabase(), nullptr);
    EXPECT_TRUE(window->dbBuildModule->isEnabled());
    EXPECT_EQ(window->DatabasePath(), sales);
    EXPECT_EQ(window->DatabaseName(), "Sales");
    EXPECT_EQ(window->LastDataPath(), folder);
    EXPECT_EQ(window->dbDatabaseName->text().toStdString(), sales);
    // Busy while the engine works, default at the end.
    EXPECT_THAT(platform.pointerHistory, ElementsAre(pointer::kBusy, pointer::kDefault));
}

TEST_F(OpenDatabaseTest, EachOdbcTableBringsItsNoticeBeforeItsLine) {
    Schema schema = SalesSchema();
    schema.tableDefs = {Table("Alpha", table_attr::kAttachedOdbc), Table("Beta"),
                        Table("Gamma", table_attr::kAttachedOdbc | table_attr::kAttachedTable |
                                           table_attr::kHiddenObject)};
    schema.queryDefs.clear();
    schema.relations.clear();
    std::vector<std::size_t> linesAtNotice;
    platform.onMessage = [&](const ShownMessage&) {
        linesAtNotice.push_back(static_cast<std::size_t>(window->dbTableList->count()));
    };
    OpenThroughDialog(WriteSchema("Odbc.json", schema));

    ASSERT_EQ(platform.messages.size(), 2u);
    for (const auto& message : platform.messages) {
        EXPECT_EQ(message.text, "ODBC Tables are not supported at this time.");
        EXPECT_EQ(message.style, 64);
        EXPECT_EQ(message.title, "Vellumtide");
        EXPECT_EQ(message.pointerWhileShown, pointer::kDefault);
    }
    EXPECT_THAT(linesAtNotice, ElementsAre(0u, 2u));
    EXPECT_THAT(ListLines(), ElementsAre("[TableODBC    ]Alpha", "[Table        ]Beta",
                                         "[TableODBC    ]Gamma"));
    EXPECT_EQ(platform.MousePointer(), pointer::kDefault);
}

TEST_F(OpenDatabaseTest, EmptyDatabaseGivesAnEmptyListAndEnablesBuild) {
    Schema empty;
    empty.info.path = "C:\\Data\\Empty.mdb";
    OpenThroughDialog(WriteSchema("Empty.json", empty));
    EXPECT_TRUE(ListLines().empty());
    EXPECT_TRUE(window->dbBuildModule->isEnabled());
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(OpenDatabaseTest, SecondOpenReplacesEveryLineAndClosesTheFirst) {
    OpenThroughDialog(WriteSchema("Sales.json", SalesSchema()));
    Schema other;
    other.tableDefs = {Table("Stock")};
    other.queryDefs = {{"Low Stock", "SELECT 1;"}};
    EXPECT_EQ(closedDatabases, 0);
    const std::string stock = WriteSchema("Stock.json", other);
    OpenThroughDialog(stock);

    EXPECT_THAT(ListLines(), ElementsAre("[Table        ]Stock", "[Query        ]Low Stock"));
    EXPECT_EQ(closedDatabases, 1);
    EXPECT_EQ(window->DatabaseName(), "Stock");
    EXPECT_EQ(window->DatabasePath(), stock);
    EXPECT_EQ(platform.openRequests.back().initialFolder, folder);
}

// A missing file, a damaged file and a file that is no database at all:
// each is reported as "OpenDatabase()" with the new path already shown,
// while the database, the list and the Build button keep their state.
TEST_F(OpenDatabaseTest, FailuresAreReportedAndKeepTheEarlierDatabase) {
    const std::string sales = WriteSchema("Sales.json", SalesSchema());
    struct Case {
        std::string path;
        std::int32_t number;
    };
    const std::vector<Case> cases = {
        {Path("Missing.mdb"), err::kEngineFileNotFound},
        {WriteFile("Damaged.json", "{ \"format\": \"vellumtide-schema\", \"version\": 1, "),
         err::kEngineUnrecognisedFormat},
        {WriteFile("Wrong.json", "{ \"format\": \"something else\" }"),
         err::kEngineUnrecognisedFormat},
        {WriteFile("Noise.mdb", std::string(4096, '\x5a')), err::kEngineUnrecognisedFormat},
        {WriteFile("Truncated.mdb",
                   ReadFile(std::string(VT_SOURCE_DIR) + "/examples/TestData.mdb").substr(0, 8192)),
         err::kEngineUnrecognisedFormat},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        OpenThroughDialog(sales);
        const Database* before = window->CurrentDatabase();
        const auto linesBefore = ListLines();
        platform.messages.clear();
        const int closedBefore = closedDatabases;

        OpenThroughDialog(c.path);

        ASSERT_EQ(platform.messages.size(), 1u);
        const ShownMessage& message = platform.messages[0];
        EXPECT_EQ(message.style, 16);
        EXPECT_EQ(message.title, "Vellumtide");
        const std::string head = "Error in OpenDatabase() <DAO.DBEngine> \r" +
                                 std::to_string(c.number) + " : ";
        EXPECT_EQ(message.text.substr(0, head.size()), head) << message.text;
        EXPECT_EQ(message.pointerWhileShown, pointer::kDefault);
        EXPECT_EQ(platform.MousePointer(), pointer::kDefault);
        EXPECT_EQ(window->CurrentDatabase(), before);
        EXPECT_EQ(closedDatabases, closedBefore);
        EXPECT_EQ(ListLines(), linesBefore);
        EXPECT_TRUE(window->dbBuildModule->isEnabled());
        EXPECT_EQ(window->dbDatabaseName->text().toStdString(), c.path);
        EXPECT_EQ(window->DatabasePath(), c.path);
    }
}

TEST_F(OpenDatabaseTest, MissingFileOnFirstOpenLeavesBuildDisabled) {
    OpenThroughDialog(Path("Nowhere.mdb"));
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].style, 16);
    EXPECT_EQ(window->CurrentDatabase(), nullptr);
    EXPECT_FALSE(window->dbBuildModule->isEnabled());
    EXPECT_EQ(window->DatabaseName(), "Nowhere");
    EXPECT_EQ(window->LastDataPath(), folder);
}

TEST_F(OpenDatabaseTest, FailureWhileListingKeepsTheNewDatabaseCurrent) {
    failAtTable = 1;
    OpenThroughDialog(WriteSchema("Sales.json", SalesSchema()));
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text.rfind("Error in OpenDatabase() <DAO.DBEngine> \r3049 : ", 0),
              0u)
        << platform.messages[0].text;
    EXPECT_NE(window->CurrentDatabase(), nullptr);
    EXPECT_TRUE(window->dbBuildModule->isEnabled());
    EXPECT_EQ(platform.MousePointer(), pointer::kDefault);
}

TEST_F(OpenDatabaseTest, ProtectedDatabaseAsksForItsPassword) {
    const std::string locked = WriteSchema("Locked.json", SalesSchema());
    protectedFiles.insert(locked);
    platform.passwordAnswers.push_back(std::string("tide"));
    OpenThroughDialog(locked);

    ASSERT_EQ(platform.passwordPrompts.size(), 1u);
    EXPECT_NE(platform.passwordPrompts[0].find("Locked.json"), std::string::npos);
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(ListLines().size(), 6u);
    EXPECT_TRUE(window->dbBuildModule->isEnabled());
    EXPECT_EQ(platform.MousePointer(), pointer::kDefault);
}

TEST_F(OpenDatabaseTest, CancelledPasswordPromptEndsSilently) {
    const std::string locked = WriteSchema("Locked.json", SalesSchema());
    protectedFiles.insert(locked);
    platform.passwordAnswers.push_back(std::nullopt);
    OpenThroughDialog(locked);

    EXPECT_EQ(platform.passwordPrompts.size(), 1u);
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(window->CurrentDatabase(), nullptr);
    EXPECT_FALSE(window->dbBuildModule->isEnabled());
    EXPECT_EQ(platform.MousePointer(), pointer::kDefault);
}

TEST_F(OpenDatabaseTest, WrongPasswordIsError3031) {
    const std::string locked = WriteSchema("Locked.json", SalesSchema());
    protectedFiles.insert(locked);
    platform.passwordAnswers.push_back(std::string("ebb"));
    OpenThroughDialog(locked);

    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text,
              "Error in OpenDatabase() <DAO.DBEngine> \r3031 : Not a valid password.");
    EXPECT_EQ(platform.messages[0].style, 16);
    EXPECT_EQ(window->CurrentDatabase(), nullptr);
    EXPECT_EQ(platform.MousePointer(), pointer::kDefault);
}

}  // namespace
}  // namespace vt::ui::test
