// The main window: what the user meets when it opens, start-up with the
// splash screen and the remembered folders, the menu items that work by
// keystrokes, the About box, closing.

#include "ui/about.h"
#include "ui/metrics.h"
#include "ui/splash.h"
#include "window_fixture.h"
#include "vellumtide_version.h"

namespace vt::ui::test {
namespace {

using QTest::qWaitFor;
using ::testing::HasSubstr;

// "name|caption", then "|shortcut", "|on" or "|off", "|disabled" as they apply.
std::string Describe(QObject* object, const char* caption = "text") {
    auto* action = qobject_cast<QAction*>(object);
    auto* widget = qobject_cast<QWidget*>(object);
    const bool checkable = object->property("checkable").toBool();
    return (object->objectName() + "|" + object->property(caption).toString() +
            (action && !action->shortcut().isEmpty() ? "|" + action->shortcut().toString() : "") +
            (checkable ? object->property("checked").toBool() ? "|on" : "|off" : "") +
            ((widget && !widget->isEnabled()) || (action && !action->isEnabled()) ? "|disabled"
                                                                                : ""))
        .toStdString();
}

// The window as the user meets it, in one table: the controls in tab order
// with captions and states, the labels, which take no focus, then the menus
// and their items. Closed with no database open, it ends the program quietly.
TEST_F(WindowTest, OpensWithItsControlsInTabOrderAndItsMenus) {
    Lines seen;
    for (QWidget* w = window->dbFormName; seen.size() < 13; w = w->nextInFocusChain()) {
        if (w->focusPolicy() != Qt::NoFocus && !w->objectName().isEmpty()) {
            seen.push_back(Describe(w));
        }
    }
    for (QLabel* label : {window->dbLabels[0], window->dbDatabaseName, window->dbObjectCount,
                          window->dbNotesLabel}) {
        seen.push_back(Describe(label) + (label->focusPolicy() == Qt::NoFocus ? "|no focus" : ""));
    }
    for (QAction* title : window->menuBar()->actions()) {
        seen.push_back(Describe(title->menu(), "title"));
        for (QAction* item : title->menu()->actions()) {
            seen.push_back(Describe(item));
        }
    }
    EXPECT_THAT(seen, ElementsAre("dbFormName|DBCreate", "dbComments_0|High Commenting Level|off",
        "dbComments_1|Low Commenting Level|on", "dbOpenDB|&Open Database",
        "dbBuildModule|&Build the Module|disabled", "dbClose|&Close", "dbTableList|",
        "dbFullPath|Code Full DB Path|off", "dbEncrypt|Encrypted Database|on",
        "dbCommonCode|Add Common Code|on", "dbFullDesign|Copy Full &Design|off",
        "dbViewModule|&View Module|disabled", "dbNotes|",
        "dbLabels_0|Base Module Name (w/o Extension): |no focus",
        "dbDatabaseName||no focus", "dbObjectCount||no focus", "dbNotesLabel|&Notes:|no focus",
        "menuFile|&File", "menuOpenDB|&Open Database|Ctrl+O", "menuRecent|Open &Recent|disabled",
        "menuBuild|&Build the Module", "menuViewModule|&View Module|disabled",
        "menuOpenFolder|Open Containing &Folder|disabled", "menuSeparator1|", "menuClose|&Close|Ctrl+Q",
        "menuEdit|&Edit",
        "menuCut|Cu&t|Ctrl+X", "menuCopy|&Copy|Ctrl+C", "menuPaste|&Paste|Ctrl+V",
        "menuHelp|&Help", "menuHelpTopics|&Help Topics", "menuSeparator2|", "menuAbout|&About"));
    EXPECT_EQ(window->windowTitle(), "Vellumtide");
    window->dbClose->click();
    window->close();
    EXPECT_THAT(platform.log, ElementsAre("end"));
}

// Start-up: the splash screen for the pause, its bar at 0 until it closes,
// the window not yet shown; a folder missing or empty in the store becomes
// the home folder, stored at once; nothing is reported, not even a
// store that cannot be written. The window then opens on the base name,
// selected.
TEST_F(WindowTest, StartUpShowsTheSplashThenRestoresTheFolders) {
    const std::string home = "/home/user";
    const std::tuple<std::map<std::string, std::string>, bool, std::string, Lines> cases[] = {
        {{}, false, home, {"Last Program Path=" + home, "Last Data Path=" + home}},
        {{{"Vellumtide/Last Program Path", "/srv/code"}, {"Vellumtide/Last Data Path", ""}}, false,
         "/srv/code", {"Last Data Path=" + home}},
        {{}, true, home, {}}};
    for (const auto& [store, readOnly, code, stored] : cases) {
        Reset();
        platform.store = store;
        platform.readOnlyStore = readOnly;
        Lines seen;
        platform.onLog = [&](const std::string& entry) {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                auto* splash = entry == "sleep 3000" ? dynamic_cast<frmSplash*>(widget) : nullptr;
                if (splash != nullptr && splash->isVisible() && !window->isVisible()) {
                    QProgressBar* bar = splash->splashProgressBar;
                    seen = {splash->splashName->text().toStdString(),
                            splash->splashVersion->text().toStdString(),
                            std::to_string(bar->value())};
                    QObject::connect(bar, &QProgressBar::valueChanged,
                                     [&](int value) { seen.push_back(std::to_string(value)); });
                }
            }
        };
        window->Form_Load();
        EXPECT_THAT(seen, ElementsAre("Vellumtide", "Version " VELLUMTIDE_VERSION, "0", "100"));
        EXPECT_THAT(platform.Logged("sleep"), ElementsAre("3000"));
        EXPECT_EQ(platform.Logged("store"), stored);
        EXPECT_TRUE(platform.Logged("box").empty());
        EXPECT_EQ(window->LastProgramPath(), code);
        EXPECT_EQ(window->LastDataPath(), home);
        Show();
        EXPECT_TRUE(qWaitFor([&] { return window->dbFormName->selectedText() == "DBCreate"; }));
    }
}

// "Copy Full Design" starts off, keeps the user's choice for the next start,
// and makes the build write the full design.
TEST_F(WindowTest, CopyFullDesignIsRememberedAndBuildsTheFullDesign) {
    for (const bool stored : {false, true}) {
        SCOPED_TRACE(stored);
        Reset();
        if (stored) {
            platform.store["Vellumtide/Copy Full Design"] = "1";
        }
        window->Form_Load();
        EXPECT_EQ(window->dbFullDesign->isChecked(), stored);
        window->dbFullDesign->setChecked(!stored);
        EXPECT_EQ(platform.store["Vellumtide/Copy Full Design"], stored ? "0" : "1");
        const std::string module = Path(stored ? "Plain.bas" : "Full.bas");
        platform.answers = {WriteSchema("Sales.json", SalesSchema()), module};
        window->dbOpenDB_Click();
        window->dbBuildModule_Click();
        EXPECT_EQ(ReadFile(module).find("Private Sub SetProperty(") != std::string::npos, !stored);
    }
}

// With the full design ODBC links are re-created, so opening one says
// nothing of them; after a build the properties left out join the notes.
TEST_F(WindowTest, FullDesignLinksOdbcTablesAndNotesWhatItLeavesOut) {
    window->Form_Load();
    window->dbFullDesign->setChecked(true);
    Schema sales = SalesSchema();
    sales.tableDefs.push_back({"Staff", table_attr::kAttachedOdbc, "ODBC;DSN=HR", "Staff"});
    sales.tableDefs[0].properties = {{"GUID", 9, std::string("00FF")}};
    platform.answers = {WriteSchema("Linked.json", sales), Path("Linked.bas")};
    window->dbOpenDB_Click();
    EXPECT_TRUE(platform.Logged("box").empty());
    window->dbBuildModule_Click();
    EXPECT_EQ(window->dbNotes->toPlainText().toStdString(),
              "Property 'GUID' is left out of 1 object: Access and the engine keep it for the "
              "source's own objects.");
    EXPECT_THAT(ReadFile(Path("Linked.bas")), HasSubstr("myTable.Connect = \"ODBC;DSN=HR\""));
}

// The list's font, whatever fonts the system has: 8.25 points, normal
// weight, every tag of one width so that all names start in one column;
// a proportional font is never taken for it.
TEST_F(WindowTest, ListStartsAllNamesInOneColumn) {
    const QFont font = window->dbTableList->font();
    EXPECT_EQ(font.pointSizeF(), 8.25);
    EXPECT_EQ(font.weight(), QFont::Normal);
    const QFontMetricsF metrics(font);
    for (const char* tag : {"[Table        ]", "[TableHidden  ]", "[TableAttached]",
                            "[TableODBC    ]", "[Query        ]", "[Relation     ]"}) {
        EXPECT_EQ(metrics.horizontalAdvance(tag), 15 * metrics.horizontalAdvance('W')) << tag;
    }
    EXPECT_FALSE(Monospaced(QFont("DejaVu Sans")));
}

// Each keystroke item sends its keys and does what typing them does: Alt
// keys press buttons (the disabled Build button nothing), F1 opens the help,
// the edit keys reach the focused control without starting the item again.
// The base name given the focus by mouse or by Tab is selected whole, so
// Copy and Paste take all of it. Closing closes the database and leaves the
// data folder unstored.
TEST_F(WindowTest, MenuItemsWorkByTheirKeystrokes) {
    platform.store["Vellumtide/Last Data Path"] = "/srv/data";
    window->LoadSettings();
    Show();
    QClipboard* clipboard = QGuiApplication::clipboard();
    QLineEdit* name = window->dbFormName;
    QTest::keyClick(name, Qt::Key_F1);  // typed, as Help Topics sends it
    EXPECT_THAT(platform.Logged("help"), ElementsAre(""));
    const auto nothing = [] {};
    const std::tuple<QAction*, const char*, std::function<void()>, std::function<bool()>>
        cases[] = {
        {window->menuBuild, "%B", nothing, [] { return true; }},
        {window->menuOpenDB, "%O",
         [&] { platform.answers = {WriteSchema("Sales.json", SalesSchema())}; },
         [&] { return window->CurrentDatabase() != nullptr; }},
        {window->menuCopy, "^C",
         [&] { name->setText("Orders"), QTest::mouseClick(name, Qt::LeftButton); },
         [&] { return clipboard->text() == "Orders"; }},
        {window->menuCut, "^X", [&] { name->setFocus(), name->setSelection(0, 3); },
         [&] { return name->text() == "ers" && clipboard->text() == "Ord"; }},
        {window->menuPaste, "^V",
         [&] {
             clipboard->setText("Sales"), window->dbFullDesign->setFocus();
             QTest::keyClick(window->dbFullDesign, Qt::Key_Tab);
         },
         [&] { return name->text() == "Sales"; }},
        {window->menuCopy, "^C", [&] { window->dbOpenDB->setFocus(); }, [] { return true; }},
        {window->menuHelpTopics, "{F1}", nothing, [&] { return !platform.Logged("help").empty(); }},
        {window->menuClose, "%C", nothing, [&] { return !platform.Logged("end").empty(); }}};
    for (const auto& [item, keys, before, done] : cases) {
        SCOPED_TRACE(keys);
        window->dbCommonCode->setFocus();
        before();
        QSignalSpy runs(item, &QAction::triggered);
        platform.log.clear();
        item->trigger();
        EXPECT_TRUE(qWaitFor(done));
        QTest::qWait(50);  // time for a wrongly repeated item or a stray dialog
        EXPECT_EQ(platform.Logged("keys"), Lines{keys});
        EXPECT_EQ(runs.count(), 1);
        EXPECT_TRUE(item->isEnabled());
    }
    EXPECT_EQ(closedDatabases, 1);
    EXPECT_EQ(platform.store["Vellumtide/Last Data Path"], "/srv/data");
}

// The About box, shown modally from the menu, fills its lines from the
// figures of each showing: the system by platform id or name; the free
// memory in KB up to one mebibyte, in MB above, grouped in the user's
// locale; the load.
TEST_F(WindowTest, AboutShowsTheFiguresOfEachShowing) {
    Show();
    const QLocale english(QLocale::English, QLocale::UnitedStates), german(QLocale::German);
    const std::tuple<std::optional<OsVersion>, std::int64_t, QLocale, const char*, const char*>
        cases[] = {
            {OsVersion{2, 4, 0}, 1048576, english, "Windows NT, version 4.0", "1,024.00 KB"},
            {OsVersion{1, 4, 10}, 1048577, english, "Windows 95, version 4.10", "1.00 MB"},
            {OsVersion{0, 3, 1}, 524288, english, "Windows 3.1, version 3.1", "512.00 KB"},
            {OsVersion{3, 10, 0}, 1610612736, english, "Unknown Operating System", "1,536.00 MB"},
            {std::nullopt, 1536, german, "Unknown Operating System", "1,50 KB"},
            {OsVersion{-1, 6, 1, "Linux"}, 6442450944, german, "Linux, version 6.1", "6.144,00 MB"},
            {OsVersion{7, 1, 1}, 1LL << 42, QLocale::c(), "Unknown Operating System",
             "4,194,304.00 MB"}};
    frmAbout* about = window->AboutBox();
    std::uint32_t load = 0;
    for (const auto& [os, bytes, locale, osLine, memoryLine] : cases) {
        platform.osVersion = os;
        platform.memory = MemoryStatus{load += 9, bytes};
        about->SetLocale(locale);
        Lines seen;
        QTimer::singleShot(0, [&] {
            seen = {about->isVisible() && about->isModal() ? "modal" : "not modal"};
            for (QLabel* line : {about->aboutName, about->aboutVersion, about->aboutOS,
                                 about->aboutFreeMem, about->aboutFreeRes}) {
                seen.push_back(line->text().toStdString());
            }
            about->aboutOK->click();
        });
        window->menuAbout->trigger();
        EXPECT_THAT(seen, ElementsAre("modal", "Vellumtide", "Version " VELLUMTIDE_VERSION, osLine,
                                      std::string("Free Physical Memory = ") + memoryLine,
                                      "System Memory Utilization = " + std::to_string(load) +
                                          " %"));
    }
    EXPECT_EQ(about->windowTitle(), "About Window");
}

}  // namespace
}  // namespace vt::ui::test
