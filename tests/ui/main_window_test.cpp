// The main window: controls and menus as designed, start-up with the
// splash screen and the remembered folders, the keystroke menu items, and
// shutdown.

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QVBoxLayout>
#include <QFontInfo>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "ui/about.h"
#include "ui/splash.h"
#include "window_fixture.h"

namespace vt::ui::test {
namespace {

using ::testing::ElementsAre;

class MainWindowTest : public WindowTest {};

TEST_F(MainWindowTest, ControlsHaveTheirCaptionsAndInitialValues) {
    EXPECT_EQ(window->windowTitle(), "Vellumtide");
    EXPECT_EQ(window->dbFormName->text(), "DBCreate");
    EXPECT_EQ(window->dbComments[0]->text(), "High Commenting Level");
    EXPECT_FALSE(window->dbComments[0]->isChecked());
    EXPECT_EQ(window->dbComments[1]->text(), "Low Commenting Level");
    EXPECT_TRUE(window->dbComments[1]->isChecked());
    EXPECT_EQ(window->dbOpenDB->text(), "&Open Database");
    EXPECT_TRUE(window->dbOpenDB->isEnabled());
    EXPECT_EQ(window->dbBuildModule->text(), "&Build the Module");
    EXPECT_FALSE(window->dbBuildModule->isEnabled());
    EXPECT_EQ(window->dbClose->text(), "&Close");
    EXPECT_TRUE(window->dbClose->isEnabled());
    EXPECT_EQ(window->dbLabels[0]->text(), "Base Module Name (w/o Extension): ");
    EXPECT_EQ(window->dbDatabaseName->text(), "");
    EXPECT_EQ(window->dbTableList->count(), 0);
    EXPECT_EQ(window->dbFullPath->text(), "Code Full DB Path");
    EXPECT_FALSE(window->dbFullPath->isChecked());
    EXPECT_EQ(window->dbEncrypt->text(), "Encrypted Database");
    EXPECT_TRUE(window->dbEncrypt->isChecked());
    EXPECT_EQ(window->dbCommonCode->text(), "Add Common Code");
    EXPECT_TRUE(window->dbCommonCode->isChecked());
    ASSERT_NE(window->Line1, nullptr);
    ASSERT_NE(window->Line2, nullptr);
    EXPECT_FALSE(window->windowIcon().isNull());
}

TEST_F(MainWindowTest, TheGeneratorReadsTheCheckBoxes) {
    EXPECT_TRUE(window->AddCommonCode());
    EXPECT_TRUE(window->EncryptDatabase());
    EXPECT_FALSE(window->CodeFullPath());
    window->dbCommonCode->setChecked(false);
    window->dbEncrypt->setChecked(false);
    window->dbFullPath->setChecked(true);
    EXPECT_FALSE(window->AddCommonCode());
    EXPECT_FALSE(window->EncryptDatabase());
    EXPECT_TRUE(window->CodeFullPath());
}

TEST_F(MainWindowTest, ListUsesAFixedPitchFontAndDoesNotSort) {
    const QFontInfo info(window->dbTableList->font());
    EXPECT_TRUE(info.fixedPitch()) << info.family().toStdString();
    EXPECT_NEAR(window->dbTableList->font().pointSizeF(), 8.25, 0.01);
    EXPECT_FALSE(window->dbTableList->isSortingEnabled());
}

TEST_F(MainWindowTest, TabOrderRunsThroughTheControlsInTheirPositions) {
    std::vector<std::string> order;
    QWidget* widget = window->dbFormName;
    for (int i = 0; i < 10; ++i) {
        order.push_back(widget->objectName().toStdString());
        do {
            widget = widget->nextInFocusChain();
        } while (widget->focusPolicy() == Qt::NoFocus || widget->objectName().isEmpty());
    }
    EXPECT_THAT(order, ElementsAre("dbFormName", "dbComments_0", "dbComments_1", "dbOpenDB",
                                   "dbBuildModule", "dbClose", "dbTableList", "dbFullPath",
                                   "dbEncrypt", "dbCommonCode"));
}

TEST_F(MainWindowTest, MenusCarryTheirItemsAccessKeysAndShortcuts) {
    const QList<QAction*> bar = window->menuBar()->actions();
    ASSERT_EQ(bar.size(), 3);
    EXPECT_EQ(bar[0]->text(), "&File");
    EXPECT_EQ(bar[1]->text(), "&Edit");
    EXPECT_EQ(bar[2]->text(), "&Help");

    auto captions = [](QMenu* menu) {
        std::vector<std::string> texts;
        for (QAction* action : menu->actions()) {
            texts.push_back(action->isSeparator() ? "-" : action->text().toStdString());
        }
        return texts;
    };
    EXPECT_THAT(captions(window->menuFile),
                ElementsAre("&Open Database", "&Build the Module", "-", "&Close"));
    EXPECT_THAT(captions(window->menuEdit), ElementsAre("Cu&t", "&Copy", "&Paste"));
    EXPECT_THAT(captions(window->menuHelp), ElementsAre("&Help Topics", "-", "&About"));

    EXPECT_EQ(window->menuCut->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_X));
    EXPECT_EQ(window->menuCopy->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_C));
    EXPECT_EQ(window->menuPaste->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_V));
    for (QAction* action : {window->menuOpenDB, window->menuBuild, window->menuClose,
                            window->menuHelpTopics, window->menuAbout}) {
        EXPECT_TRUE(action->shortcut().isEmpty()) << action->text().toStdString();
    }
}

TEST_F(MainWindowTest, MenuItemsSendTheirKeystrokes) {
    Show();
    const std::pair<QAction*, const char*> items[] = {
        {window->menuCut, "^X"}, {window->menuCopy, "^C"}, {window->menuPaste, "^V"},
        {window->menuHelpTopics, "{F1}"}, {window->menuBuild, "%B"},
    };
    for (const auto& [action, keys] : items) {
        platform.sentKeys.clear();
        action->trigger();
        EXPECT_THAT(platform.sentKeys, ElementsAre(keys)) << action->text().toStdString();
        QTest::qWait(20);
    }
}

TEST_F(MainWindowTest, StartUpWithAnEmptyStoreWritesTheProgramFolderToBothKeys) {
    window->Form_Load();
    EXPECT_EQ(window->LastProgramPath(), "/opt/vellumtide/bin");
    EXPECT_EQ(window->LastDataPath(), "/opt/vellumtide/bin");
    EXPECT_THAT(platform.settingWrites,
                ElementsAre(std::pair<std::string, std::string>{"Last Program Path",
                                                                "/opt/vellumtide/bin"},
                            std::pair<std::string, std::string>{"Last Data Path",
                                                                "/opt/vellumtide/bin"}));
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(MainWindowTest, StartUpRestoresStoredFoldersAndTreatsEmptyAsMissing) {
    platform.store["Vellumtide/Last Program Path"] = "/srv/code";
    platform.store["Vellumtide/Last Data Path"] = "";
    window->Form_Load();
    EXPECT_EQ(window->LastProgramPath(), "/srv/code");
    EXPECT_EQ(window->LastDataPath(), "/opt/vellumtide/bin");
    EXPECT_THAT(platform.settingWrites,
                ElementsAre(std::pair<std::string, std::string>{"Last Data Path",
                                                                "/opt/vellumtide/bin"}));
}

TEST_F(MainWindowTest, StartUpCarriesOnSilentlyWhenTheStoreCannotBeWritten) {
    platform.failSettingWrites = true;
    window->Form_Load();
    EXPECT_EQ(window->LastProgramPath(), "/opt/vellumtide/bin");
    EXPECT_EQ(window->LastDataPath(), "/opt/vellumtide/bin");
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(platform.sleeps, std::vector<int>{3000});
    // A later command still reports as usual: an information box, not an error.
    platform.failSettingWrites = false;
    Schema schema;
    schema.tableDefs = {Table("Link", table_attr::kAttachedOdbc)};
    OpenThroughDialog(WriteSchema("Odbc.json", schema));
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].style, 64);
}

TEST_F(MainWindowTest, StartUpShowsTheSplashForThePauseBeforeTheWindow) {
    bool splashShown = false;
    int progressDuringPause = -1;
    std::string name, version;
    bool windowVisibleDuringPause = true;
    platform.onSleep = [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* splash = dynamic_cast<frmSplash*>(widget); splash && splash->isVisible()) {
                splashShown = true;
                progressDuringPause = splash->splashProgressBar->value();
                name = splash->splashName->text().toStdString();
                version = splash->splashVersion->text().toStdString();
            }
        }
        windowVisibleDuringPause = window->isVisible();
    };
    window->Form_Load();
    EXPECT_EQ(platform.sleeps, std::vector<int>{3000});
    EXPECT_TRUE(splashShown);
    EXPECT_EQ(progressDuringPause, 0);
    EXPECT_EQ(name, "Vellumtide");
    EXPECT_EQ(version, "Version 1.11");
    EXPECT_FALSE(windowVisibleDuringPause);
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (dynamic_cast<frmSplash*>(widget) != nullptr) {
            EXPECT_FALSE(widget->isVisible());
        }
    }
}

TEST_F(MainWindowTest, AfterStartUpTheBaseNameHasTheFocusAndIsSelected) {
    window->Form_Load();
    Show();
    ASSERT_TRUE(WaitFor([&] { return window->dbFormName->hasFocus(); }));
    EXPECT_EQ(window->dbFormName->selectedText(), "DBCreate");
    // A fixed window without a maximize button.
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    EXPECT_FALSE(window->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
}

TEST_F(MainWindowTest, BaseNameIsSelectedWhateverWayItGetsTheFocus) {
    Show();
    window->dbFormName->setText("Orders");
    window->dbCommonCode->setFocus();
    window->dbFormName->deselect();
    QTest::keyClick(window->dbCommonCode, Qt::Key_Tab);
    ASSERT_TRUE(WaitFor([&] { return window->dbFormName->hasFocus(); }));
    EXPECT_EQ(window->dbFormName->selectedText(), "Orders");

    window->dbOpenDB->setFocus();
    window->dbFormName->deselect();
    QTest::mouseClick(window->dbFormName, Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_TRUE(WaitFor([&] { return window->dbFormName->selectedText() == "Orders"; }));
}

TEST_F(MainWindowTest, ListEntriesAndOptionsStartNothing) {
    OpenThroughDialog(WriteSchema("Sales.json", SalesSchema()));
    Show();
    const auto openRequests = platform.openRequests.size();
    QListWidgetItem* item = window->dbTableList->item(1);
    const QRect rect = window->dbTableList->visualItemRect(item);
    QTest::mouseClick(window->dbTableList->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(window->dbTableList->viewport(), Qt::LeftButton, {}, rect.center());
    window->dbComments[0]->click();
    window->dbFullPath->click();
    QTest::qWait(50);
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(platform.openRequests.size(), openRequests);
    EXPECT_TRUE(platform.saveRequests.empty());
}

TEST_F(MainWindowTest, BuildMenuDoesNothingWhileTheButtonIsDisabled) {
    Show();
    window->menuBuild->trigger();
    QTest::qWait(300);
    EXPECT_THAT(platform.sentKeys, ElementsAre("%B"));
    EXPECT_TRUE(platform.saveRequests.empty());
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(MainWindowTest, OpenMenuPressesTheOpenButton) {
    Show();
    platform.openAnswers.push_back(std::nullopt);
    window->menuOpenDB->trigger();
    ASSERT_TRUE(WaitFor([&] { return platform.openRequests.size() == 1; }));
    EXPECT_THAT(platform.sentKeys, ElementsAre("%O"));
}

TEST_F(MainWindowTest, CloseMenuEndsTheProgramWithoutMessage) {
    Show();
    window->menuClose->trigger();
    ASSERT_TRUE(WaitFor([&] { return platform.endProgramCalls == 1; }));
    EXPECT_TRUE(window->Unloaded());
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(MainWindowTest, ClosingClosesTheOpenDatabaseAndKeepsTheUnsavedDataFolder) {
    platform.store["Vellumtide/Last Data Path"] = "/srv/data";
    platform.store["Vellumtide/Last Program Path"] = "/srv/code";
    window->Form_Load();
    OpenThroughDialog(WriteSchema("Sales.json", SalesSchema()));
    EXPECT_EQ(window->LastDataPath(), folder);
    window->dbClose->click();
    EXPECT_EQ(closedDatabases, 1);
    EXPECT_EQ(window->CurrentDatabase(), nullptr);
    EXPECT_EQ(platform.endProgramCalls, 1);
    EXPECT_EQ(platform.store["Vellumtide/Last Data Path"], "/srv/data");
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(MainWindowTest, ClosingWithoutADatabaseEndsWithoutMessage) {
    Show();
    window->close();
    EXPECT_EQ(platform.endProgramCalls, 1);
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(closedDatabases, 0);
}

// Cut, copy and paste reach the focused box and run their menu item once.
TEST_F(MainWindowTest, EditItemsReachTheFocusedControl) {
    Show();
    QClipboard* clipboard = QGuiApplication::clipboard();
    QSignalSpy cuts(window->menuCut, &QAction::triggered);
    QSignalSpy copies(window->menuCopy, &QAction::triggered);
    QSignalSpy pastes(window->menuPaste, &QAction::triggered);

    window->dbFormName->setText("Orders");
    window->dbFormName->setFocus();
    window->dbFormName->selectAll();
    clipboard->clear();
    window->menuCopy->trigger();
    ASSERT_TRUE(WaitFor([&] { return clipboard->text() == "Orders"; }));

    window->dbFormName->setSelection(0, 3);
    window->menuCut->trigger();
    ASSERT_TRUE(WaitFor([&] { return window->dbFormName->text() == "ers"; }));
    EXPECT_EQ(clipboard->text(), "Ord");

    clipboard->setText("Sales");
    window->dbFormName->selectAll();
    window->menuPaste->trigger();
    ASSERT_TRUE(WaitFor([&] { return window->dbFormName->text() == "Sales"; }));

    QTest::qWait(100);
    EXPECT_EQ(cuts.count(), 1);
    EXPECT_EQ(copies.count(), 1);
    EXPECT_EQ(pastes.count(), 1);
}

TEST_F(MainWindowTest, CopyOnAButtonNeverStartsTheMenuItemAgain) {
    Show();
    QSignalSpy copies(window->menuCopy, &QAction::triggered);
    window->dbOpenDB->setFocus();
    window->menuCopy->trigger();
    QTest::qWait(200);
    EXPECT_EQ(copies.count(), 1);
    EXPECT_EQ(platform.sentKeys.size(), 1u);
}

TEST_F(MainWindowTest, CopyInTheListCopiesTheCurrentLine) {
    OpenThroughDialog(WriteSchema("Sales.json", SalesSchema()));
    Show();
    QSignalSpy copies(window->menuCopy, &QAction::triggered);
    window->dbTableList->setFocus();
    window->dbTableList->setCurrentRow(3);
    QGuiApplication::clipboard()->clear();
    window->menuCopy->trigger();
    ASSERT_TRUE(WaitFor(
        [&] { return QGuiApplication::clipboard()->text() == "[TableAttached]Prices"; }));
    QTest::qWait(50);
    EXPECT_EQ(copies.count(), 1);
}

TEST_F(MainWindowTest, HelpTopicsAndF1OpenTheHelp) {
    Show();
    window->menuHelpTopics->trigger();
    ASSERT_TRUE(WaitFor([&] { return platform.helpShown == 1; }));
    QTest::keyClick(window->dbFormName, Qt::Key_F1);
    ASSERT_TRUE(WaitFor([&] { return platform.helpShown == 2; }));
}

TEST_F(MainWindowTest, AboutIsShownModallyAndFilledAtEachShowing) {
    Show();
    platform.osVersion = OsVersion{-1, 6, 1, "Linux"};
    platform.memory = MemoryStatus{37, 1610612736};
    std::vector<std::string> seen;
    auto inspect = [&] {
        QTimer::singleShot(50, [&] {
            frmAbout* about = window->AboutBox();
            seen.push_back(about->isVisible() && about->isModal() ? "modal" : "not modal");
            seen.push_back(about->aboutOS->text().toStdString());
            seen.push_back(about->aboutFreeMem->text().toStdString());
            seen.push_back(about->aboutFreeRes->text().toStdString());
            about->aboutOK->click();
        });
    };
    window->AboutBox()->SetLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    inspect();
    window->menuAbout->trigger();
    EXPECT_FALSE(window->AboutBox()->isVisible());

    platform.memory = MemoryStatus{90, 524288};
    inspect();
    window->menuAbout->trigger();
    EXPECT_THAT(seen, ElementsAre("modal", "Linux, version 6.1",
                                  "Free Physical Memory = 1,536.00 MB",
                                  "System Memory Utilization = 37 %", "modal",
                                  "Linux, version 6.1", "Free Physical Memory = 512.00 KB",
                                  "System Memory Utilization = 90 %"));
    EXPECT_EQ(window->AboutBox()->aboutName->text(), "Vellumtide");
    EXPECT_EQ(window->AboutBox()->aboutVersion->text(), "Version 1.11");
    EXPECT_EQ(window->AboutBox()->windowTitle(), "About Window");
}

}  // namespace
}  // namespace vt::ui::test

namespace vt::ui::test {
namespace {

// SelectAllText acts on the focused control of the active window only when
// it holds editable text.
TEST(SelectAllText, SelectsTextBoxesAndEditableCombosOnly) {
    App();
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* edit = new QLineEdit("abc");
    auto* editable = new QComboBox;
    editable->setEditable(true);
    editable->addItem("Orders");
    auto* dropDownList = new QComboBox;
    dropDownList->addItem("Sales");
    auto* button = new QPushButton("OK");
    auto* list = new QListWidget;
    list->addItem("one");
    for (QWidget* w : std::initializer_list<QWidget*>{edit, editable, dropDownList, button, list}) {
        layout->addWidget(w);
    }
    window.show();
    window.activateWindow();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(WaitFor([&] { return QApplication::activeWindow() == &window; }));

    edit->setFocus();
    edit->deselect();
    SelectAllText();
    EXPECT_EQ(edit->selectionStart(), 0);
    EXPECT_EQ(edit->selectionLength(), 3);

    editable->setFocus();
    editable->lineEdit()->deselect();
    SelectAllText();
    EXPECT_EQ(editable->lineEdit()->selectedText(), "Orders");

    // Nothing to select elsewhere: the edit box keeps its state untouched.
    edit->deselect();
    for (QWidget* w : std::initializer_list<QWidget*>{dropDownList, button, list}) {
        w->setFocus();
        SelectAllText();
        EXPECT_FALSE(edit->hasSelectedText());
        EXPECT_FALSE(editable->lineEdit()->hasSelectedText());
    }
    EXPECT_EQ(list->selectedItems().size(), 0);
}

}  // namespace
}  // namespace vt::ui::test
