// The window's two commands, Open Database and Build the Module: every road
// through each, one row of a table per road.

#include "window_fixture.h"

namespace vt::ui::test {
namespace {

const std::string kNotice = "64 0 ODBC Tables are not supported at this time.";
const std::string kFailed = "16 0 Error in OpenDatabase() <DAO.DBEngine> \r";
enum Current { kNone, kEarlier, kNew };

struct OpenCase {
    const char* name;
    bool earlier;      // Sales.json is open before
    const char* file;  // chosen in the dialog; empty: Cancel
    Reply password;    // the answer to the prompt for Locked.json
    Lines boxes;       // the boxes shown, as logged
    Lines lines;       // the list afterwards
    Current current;   // the database afterwards
};
void PrintTo(const OpenCase& c, std::ostream* out) { *out << c.name; }

class OpenDatabaseTest : public WindowTest, public ::testing::WithParamInterface<OpenCase> {};

TEST_P(OpenDatabaseTest, LeavesWhatEachRoadLeaves) {
    const OpenCase& c = GetParam();
    using namespace table_attr;
    for (const char* name : {"Sales.json", "Locked.json", "Broken.json"}) {
        WriteSchema(name, SalesSchema());
    }
    WriteSchema("Stock.json",
                {.tableDefs = {{"Stock"}}, .queryDefs = {{"Low Stock", "SELECT 1;"}}});
    const auto odbc = kAttachedOdbc, linkedHidden = kAttachedOdbc | kAttachedTable | kHiddenObject;
    WriteSchema("Odbc.json", {.tableDefs = {{"Alpha", odbc}, {"Beta"}, {"Gamma", linkedHidden}}});
    WriteFile("Damaged.json", R"({ "format": "vellumtide-schema", "version": 1, )");
    if (c.earlier) {
        OpenThroughDialog(Path("Sales.json"));
    }
    const Database* before = window->CurrentDatabase();
    const std::string pathBefore = window->DatabasePath(), chosen = *c.file ? Path(c.file) : "";
    const int closedBefore = closedDatabases;
    platform.log.clear();
    platform.answers = {*c.file ? Reply(chosen) : Reply(), c.password};
    window->dbOpenDB_Click();

    EXPECT_THAT(platform.Logged("open"),
                ElementsAre("Open MS Access Database|" + std::string(kOpenFilter) + "|1|4|" +
                            pathBefore + "|" + (c.earlier ? folder : "")));
    EXPECT_EQ(platform.Logged("box"), c.boxes);
    EXPECT_EQ(platform.Logged("password").size(), chosen == Path("Locked.json") ? 1u : 0u);
    EXPECT_EQ(ListLines(), c.lines);
    // The path shown names the current database, the earlier one when the
    // new one failed; the folder browsed to is the next dialog's.
    const std::string shown = c.current == kNew ? chosen : pathBefore;
    EXPECT_EQ(window->DatabasePath(), shown);
    EXPECT_EQ(window->dbDatabaseName->text().toStdString(), shown);
    EXPECT_EQ(window->DatabaseName(), QFileInfo(shown.c_str()).baseName().toStdString());
    EXPECT_EQ(window->LastDataPath(), *c.file || c.earlier ? folder : "");
    EXPECT_EQ(window->CurrentDatabase() == nullptr, c.current == kNone);
    EXPECT_EQ(window->CurrentDatabase() == before, c.current != kNew);
    EXPECT_EQ(window->dbBuildModule->isEnabled(), c.current != kNone);
    // An earlier database closes, and only once the new one has opened.
    const bool replaced = c.earlier && c.current == kNew;
    EXPECT_EQ(closedDatabases - closedBefore, replaced ? 1 : 0);
    EXPECT_TRUE(!replaced || closedAtLastOpen == closedBefore);
    EXPECT_EQ(platform.MousePointer(), pointer::kDefault);
}

INSTANTIATE_TEST_SUITE_P(Roads, OpenDatabaseTest, ::testing::Values(
    OpenCase{"CancelFirst", false, "", {}, {}, {}, kNone},
    OpenCase{"CancelLater", true, "", {}, {}, kSalesLines, kEarlier},
    OpenCase{"Opens", false, "Sales.json", {}, {}, kSalesLines, kNew},
    OpenCase{"SecondClosesFirst", true, "Stock.json", {}, {},
             {"[Table        ]Stock", "[Query        ]Low Stock"}, kNew},
    OpenCase{"OdbcNotices", false, "Odbc.json", {}, {kNotice, kNotice},
             {"[TableODBC    ]Alpha", "[Table        ]Beta", "[TableODBC    ]Gamma"}, kNew},
    OpenCase{"MissingFirst", false, "Missing.mdb", {}, {kFailed + "3024 : "}, {}, kNone},
    OpenCase{"Missing", true, "Missing.mdb", {}, {kFailed + "3024 : "}, kSalesLines, kEarlier},
    OpenCase{"Damaged", true, "Damaged.json", {}, {kFailed + "3343 : "}, kSalesLines, kEarlier},
    // The catalogue cannot be read: the new database is current, listed nothing.
    OpenCase{"BrokenCatalogue", true, "Broken.json", {},
             {kFailed + "3049 : "}, {}, kNew},
    OpenCase{"PasswordRight", false, "Locked.json", "tide", {}, kSalesLines, kNew},
    OpenCase{"PasswordWrong", true, "Locked.json", "ebb",
             {kFailed + "3031 : "}, kSalesLines, kEarlier},
    OpenCase{"PasswordCancelled", true, "Locked.json", {}, {}, kSalesLines, kEarlier}),
    [](const auto& info) { return std::string(info.param.name); });

const std::string kQuestion =
    "3 13 The module already exists.\rWould you like to replace the existing module?";
const std::string kComplete = "64 0 Build Module complete.";

struct BuildCase {
    const char* name;
    const char* typed;     // in the base-name box
    const char* proposed;  // by the save dialog
    Reply chosen;          // in the dialog, in the test folder; none: Cancel
    Reply reply;           // to the replace question, asked when the file exists
    bool failOutput;
    Lines boxes;           // the boxes shown, as logged; written when complete
    // The options, as they stand when the button is pressed.
    bool high = false, fullPath = false, encrypt = true, commonCode = true;
};
void PrintTo(const BuildCase& c, std::ostream* out) { *out << c.name; }

class BuildCommandTest : public WindowTest, public ::testing::WithParamInterface<BuildCase> {};

TEST_P(BuildCommandTest, LeavesWhatEachRoadLeaves) {
    const BuildCase& c = GetParam();
    const bool written = !c.boxes.empty() && c.boxes.back() == kComplete;
    platform.store["Vellumtide/Last Program Path"] = "/srv/code";
    window->LoadSettings();
    OpenThroughDialog(WriteSchema("Sales.mdb", SalesSchema()));  // the content decides
    Show();
    // Every road that writes writes Orders.bas; a name chosen without
    // extension gets ".bas" before the file is looked for.
    const std::string module = c.chosen ? Path("Orders.bas") : "", old = c.reply ? "old" : "";
    if (c.reply) {
        WriteFile("Orders.bas", old);
    }
    failOutput = c.failOutput;
    window->dbFormName->setText(c.typed);
    window->dbComments[c.high ? 0 : 1]->click();
    window->dbFullPath->setChecked(c.fullPath);
    window->dbEncrypt->setChecked(c.encrypt);
    window->dbCommonCode->setChecked(c.commonCode);
    window->dbBuildModule->setFocus();  // as the click gives it
    platform.log.clear();
    platform.answers = {c.chosen ? Reply(Path(*c.chosen)) : Reply(), c.reply};
    window->dbBuildModule_Click();

    EXPECT_THAT(platform.Logged("save"),
                ElementsAre("Save Sales.mdb Database Source Code|" + std::string(kSaveFilter) +
                            "|1|4|" + c.proposed + "|/srv/code"));
    EXPECT_EQ(platform.Logged("box"), c.boxes);
    const std::string text = ReadFile(module);
    EXPECT_EQ(text != old, written) << text.substr(0, 100);
    // The module's name, the database it describes and the options.
    const std::string create = std::string("CreateDatabase(\"") + (c.fullPath ? "C:\\Data\\" : "") +
                               "Shop.mdb\", dbLangGeneral" + (c.encrypt ? ", dbEncrypt)" : ")");
    const std::pair<std::string, bool> pieces[] = {
        {"Attribute VB_Name = \"Orders\"", written}, {"Public ShopDB as Database", written},
        {create, written},
        {"is the main routine which creates", written && c.high},
        {"Private Sub DisplayError", written && c.commonCode}};
    for (const auto& [piece, present] : pieces) {
        EXPECT_EQ(text.find(piece) != std::string::npos, present) << piece;
    }
    // The chosen folder is remembered, and both folders are stored, before
    // the generator runs, whether it then succeeds or not.
    const bool remembered = written || c.failOutput;
    const Lines stored = {"Last Program Path=" + folder, "Last Data Path=" + folder};
    EXPECT_EQ(platform.Logged("store"), remembered ? stored : Lines{});
    EXPECT_EQ(window->LastProgramPath(), remembered ? folder : "/srv/code");
    EXPECT_EQ(window->HighComments(), remembered && c.high);
    // Cancel ends the program as the Close button does; every other way
    // out leaves the default pointer, busy from the dialog on.
    const bool ended = c.reply == std::to_string(answer::kCancel);
    EXPECT_EQ(platform.Logged("end").size(), ended ? 1u : 0u);
    EXPECT_EQ(closedDatabases, ended ? 1 : 0);
    const Lines pointers = platform.Logged("pointer");
    EXPECT_EQ(pointers.front(), "13");
    EXPECT_EQ(pointers.back(), ended ? "13" : "0");
    // After success the box proposes "DBCreate" again; after No the name is
    // offered for a change. Either way it has the focus, its text selected.
    const QString name = window->dbFormName->text();
    EXPECT_EQ(name.toStdString(), written ? "DBCreate" : c.proposed);
    const bool focused = written || c.reply == std::to_string(answer::kNo);
    EXPECT_EQ(window->dbFormName->hasFocus(), focused);
    EXPECT_EQ(window->dbFormName->selectedText(), focused ? name : "");
}

// After a failed open the save dialog names the database still open.
TEST_F(WindowTest, AFailedOpenLeavesTheOpenDatabaseToBuild) {
    OpenThroughDialog(WriteSchema("Sales.mdb", SalesSchema()));
    OpenThroughDialog(Path("Missing.mdb"));
    platform.answers = {Reply()};
    window->dbBuildModule_Click();
    EXPECT_THAT(platform.Logged("save"),
                ElementsAre(::testing::StartsWith("Save Sales.mdb Database Source Code|")));
}

INSTANTIATE_TEST_SUITE_P(Roads, BuildCommandTest, ::testing::Values(
    BuildCase{"Cancel", "C:\\Work\\Orders.bas", "Orders.bas", {}, {}, false, {}},
    BuildCase{"NewModule", " Orders ", "Orders", "Orders.bas", {}, false, {kComplete}, true},
    BuildCase{"ReplaceYes", "/home/me/Orders.bas", "Orders.bas", "Orders.bas", "6", false,
              {kQuestion, kComplete}, false, true, false, false},
    BuildCase{"NoExtension", "Orders", "Orders", "Orders", "6", false, {kQuestion, kComplete}},
    BuildCase{"ReplaceNo", "Orders.bas", "Orders.bas", "Orders.bas", "7", false, {kQuestion}},
    BuildCase{"ReplaceCancelEnds", "Orders", "Orders", "Orders.bas", "2", false, {kQuestion}},
    BuildCase{"WriteFails", "Orders", "Orders", "Orders.bas", {}, true,
              {"16 0 Error in BuildModuleFile() <Vellumtide> \r61 : ",
               "64 0 Build Module completed with errors!"}},
    BuildCase{"FolderCannotBeChecked", "Orders", "Orders", "no such folder/Orders.bas", {}, false,
              {"16 0 Error in BuildModule() <Vellumtide> \r76 : "}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vt::ui::test
