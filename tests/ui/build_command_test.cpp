// Build the Module: the normalised name, the save dialog, the replace
// question, the remembered folder, the commenting level and the outcome.

#include <QApplication>
#include <QFileInfo>

#include "window_fixture.h"

namespace vt::ui::test {
namespace {

using ::testing::ElementsAre;

constexpr const char* kReplaceQuestion =
    "The module already exists.\rWould you like to replace the existing module?";

class BuildCommandTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        platform.programFolder = folder;
        platform.store["Vellumtide/Last Program Path"] = "/srv/code";
        platform.store["Vellumtide/Last Data Path"] = "/srv/data";
        window->LoadSettings();
        // A schema file under a database's name: the content decides.
        OpenThroughDialog(WriteSchema("Sales.mdb", SalesSchema()));
        ASSERT_TRUE(platform.messages.empty());
        Show();
        platform.pointerHistory.clear();
        platform.settingWrites.clear();
    }

    std::string Module(const std::string& name) const { return Path(name); }
};

TEST_F(BuildCommandTest, SaveDialogIsPreparedFromTheOpenDatabaseAndTheBaseName) {
    window->dbFormName->setText(" Orders ");
    platform.saveAnswers.push_back(std::nullopt);
    window->dbBuildModule_Click();

    ASSERT_EQ(platform.saveRequests.size(), 1u);
    const FileDialogRequest& request = platform.saveRequests[0];
    EXPECT_EQ(request.title, "Save Sales.mdb Database Source Code");
    EXPECT_EQ(request.filter, "VB Module (*.bas)|*.bas|All Files (*.*)|*.*");
    EXPECT_EQ(request.filterIndex, 1);
    EXPECT_EQ(request.flags, 4);
    EXPECT_EQ(request.fileName, "Orders");
    EXPECT_EQ(request.initialFolder, "/srv/code");
}

TEST_F(BuildCommandTest, BaseNameIsNormalisedBeforeTheDialogOpens) {
    struct Case {
        const char* typed;
        const char* shown;
    };
    const Case cases[] = {
        {"C:\\Projects\\Sales\\Orders.bas", "Orders.bas"},
        {"/home/me/projects/Orders.bas", "Orders.bas"},
        {"   Orders   ", "Orders"},
        {"DBCreate", "DBCreate"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        window->dbFormName->setText(c.typed);
        platform.saveAnswers.push_back(std::nullopt);
        window->dbBuildModule_Click();
        EXPECT_EQ(window->dbFormName->text().toStdString(), c.shown);
        EXPECT_EQ(platform.saveRequests.back().fileName, c.shown);
    }
}

TEST_F(BuildCommandTest, CancelShowsNothingAndKeepsTheFolders) {
    window->dbFormName->setText("C:\\Work\\Orders.bas");
    platform.saveAnswers.push_back(std::nullopt);
    window->dbBuildModule_Click();

    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(window->LastProgramPath(), "/srv/code");
    EXPECT_TRUE(platform.settingWrites.empty());
    EXPECT_EQ(platform.store["Vellumtide/Last Program Path"], "/srv/code");
    EXPECT_EQ(window->dbFormName->text().toStdString(), "Orders.bas");
    EXPECT_THAT(platform.pointerHistory, ElementsAre(pointer::kBusy, pointer::kDefault));
}

TEST_F(BuildCommandTest, NewFileIsWrittenWithoutQuestion) {
    window->dbFormName->setText("Orders");
    window->dbBuildModule->setFocus();  // as the click gives it
    const std::string module = Module("Orders.bas");
    platform.saveAnswers.push_back(module);
    window->dbBuildModule_Click();

    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, "Build Module complete.");
    EXPECT_EQ(platform.messages[0].style, 64);
    EXPECT_EQ(platform.messages[0].title, "Vellumtide");
    const std::string text = ReadFile(module);
    EXPECT_FALSE(text.empty());
    EXPECT_NE(text.find("CreateDatabase"), std::string::npos);
    EXPECT_NE(text.find("Customers"), std::string::npos);

    // The folder is remembered and both folders are stored before the run.
    EXPECT_EQ(window->LastProgramPath(), folder);
    EXPECT_EQ(platform.store["Vellumtide/Last Program Path"], folder);
    EXPECT_EQ(platform.store["Vellumtide/Last Data Path"], folder);
    EXPECT_THAT(platform.settingWrites,
                ElementsAre(std::pair<std::string, std::string>{"Last Program Path", folder},
                            std::pair<std::string, std::string>{"Last Data Path", folder}));

    // The base name is back to "DBCreate", focused and selected.
    EXPECT_EQ(window->dbFormName->text().toStdString(), "DBCreate");
    EXPECT_TRUE(window->dbFormName->hasFocus());
    EXPECT_EQ(window->dbFormName->selectedText().toStdString(), "DBCreate");
    ASSERT_FALSE(platform.pointerHistory.empty());
    EXPECT_EQ(platform.pointerHistory.front(), pointer::kBusy);
    EXPECT_EQ(platform.MousePointer(), pointer::kDefault);
}

TEST_F(BuildCommandTest, NameWithoutExtensionIsWrittenAsTyped) {
    const std::string module = Module("Plain");
    platform.saveAnswers.push_back(module);
    window->dbBuildModule_Click();
    EXPECT_FALSE(ReadFile(module).empty());
    EXPECT_EQ(platform.messages.back().text, "Build Module complete.");
}

TEST_F(BuildCommandTest, ExistingFileAnsweredYesIsReplaced) {
    const std::string module = WriteFile("Orders.bas", "old module");
    platform.saveAnswers.push_back(module);
    platform.answers.push_back(answer::kYes);
    window->dbBuildModule_Click();

    ASSERT_EQ(platform.messages.size(), 2u);
    EXPECT_EQ(platform.messages[0].text, kReplaceQuestion);
    EXPECT_EQ(platform.messages[0].style, 3);
    EXPECT_EQ(platform.messages[0].title, "Vellumtide");
    EXPECT_EQ(platform.messages[0].pointerWhileShown, pointer::kBusy);
    EXPECT_EQ(platform.messages[1].text, "Build Module complete.");
    const std::string text = ReadFile(module);
    EXPECT_NE(text, "old module");
    EXPECT_NE(text.find("CreateDatabase"), std::string::npos);
    EXPECT_EQ(platform.MousePointer(), pointer::kDefault);
}

TEST_F(BuildCommandTest, ExistingFileAnsweredNoWritesNothingAndSelectsTheName) {
    const std::string module = WriteFile("Orders.bas", "old module");
    window->dbFormName->setText("Orders.bas");
    window->dbCommonCode->setFocus();
    platform.saveAnswers.push_back(module);
    platform.answers.push_back(answer::kNo);
    window->dbBuildModule_Click();

    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, kReplaceQuestion);
    EXPECT_EQ(ReadFile(module), "old module");
    EXPECT_TRUE(window->dbFormName->hasFocus());
    EXPECT_EQ(window->dbFormName->selectedText().toStdString(), "Orders.bas");
    EXPECT_EQ(window->LastProgramPath(), "/srv/code");
    EXPECT_TRUE(platform.settingWrites.empty());
    EXPECT_THAT(platform.pointerHistory, ElementsAre(pointer::kBusy, pointer::kDefault));
    EXPECT_EQ(platform.endProgramCalls, 0);
}

TEST_F(BuildCommandTest, ExistingFileAnsweredCancelEndsTheProgram) {
    const std::string module = WriteFile("Orders.bas", "old module");
    platform.saveAnswers.push_back(module);
    platform.answers.push_back(answer::kCancel);
    window->dbBuildModule_Click();

    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, kReplaceQuestion);
    EXPECT_EQ(ReadFile(module), "old module");
    EXPECT_TRUE(window->Unloaded());
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(platform.endProgramCalls, 1);
    EXPECT_EQ(closedDatabases, 1);
    EXPECT_EQ(window->CurrentDatabase(), nullptr);
    EXPECT_TRUE(platform.settingWrites.empty());
}

TEST_F(BuildCommandTest, FailingGeneratorReportsItsErrorThenCompletedWithErrors) {
    failOutput = true;
    const std::string module = Module("Orders.bas");
    platform.saveAnswers.push_back(module);
    window->dbBuildModule_Click();

    ASSERT_EQ(platform.messages.size(), 2u);
    EXPECT_EQ(platform.messages[0].style, 16);
    EXPECT_EQ(platform.messages[0].text.rfind("Error in BuildModuleFile() <", 0), 0u)
        << platform.messages[0].text;
    EXPECT_NE(platform.messages[0].text.find("\r61 : The disk is full."), std::string::npos);
    EXPECT_EQ(platform.messages[1].text, "Build Module completed with errors!");
    EXPECT_EQ(platform.messages[1].style, 64);
    // The chosen folder is remembered and stored even so.
    EXPECT_EQ(window->LastProgramPath(), folder);
    EXPECT_EQ(platform.store["Vellumtide/Last Program Path"], folder);
    EXPECT_EQ(window->dbFormName->text().toStdString(), "DBCreate");
    EXPECT_EQ(platform.MousePointer(), pointer::kDefault);
}

TEST_F(BuildCommandTest, UnexpectedAttributeFailureIsReportedAsBuildModule) {
    const std::string module = Path("no such folder/Orders.bas");
    platform.saveAnswers.push_back(module);
    window->dbBuildModule_Click();

    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].style, 16);
    EXPECT_EQ(platform.messages[0].text.rfind("Error in BuildModule() <Vellumtide> \r76 : ", 0), 0u)
        << platform.messages[0].text;
    EXPECT_EQ(platform.messages[0].pointerWhileShown, pointer::kDefault);
    EXPECT_TRUE(platform.settingWrites.empty());
    EXPECT_EQ(window->LastProgramPath(), "/srv/code");
    // ShowError puts the busy pointer back after its box; the command ends on default.
    EXPECT_THAT(platform.pointerHistory,
                ElementsAre(pointer::kBusy, pointer::kDefault, pointer::kBusy, pointer::kDefault));
}

TEST_F(BuildCommandTest, CommentingLevelFollowsTheOptionAtEachBuild) {
    const std::pair<int, bool> cases[] = {{1, false}, {0, true}, {1, false}};
    int run = 0;
    for (const auto& [option, high] : cases) {
        SCOPED_TRACE(run);
        window->dbComments[static_cast<std::size_t>(option)]->setChecked(true);
        platform.saveAnswers.push_back(Module("Level" + std::to_string(run++) + ".bas"));
        window->dbBuildModule_Click();
        EXPECT_EQ(window->HighComments(), high);
        EXPECT_EQ(platform.messages.back().text, "Build Module complete.");
    }
    // The high level writes more comment lines than the low one.
    EXPECT_GT(ReadFile(Module("Level1.bas")).size(), ReadFile(Module("Level0.bas")).size());
}

// The example database, opened and built through the window.
TEST_F(WindowTest, ExampleDatabaseOpensAndBuilds) {
    const std::string example = std::string(VT_SOURCE_DIR) + "/examples/TestData.mdb";
    if (!QFileInfo::exists(QString::fromStdString(example))) {
        GTEST_SKIP() << "no example database";
    }
    platform.programFolder = folder;
    window->LoadSettings();
    OpenThroughDialog(example);
    ASSERT_TRUE(platform.messages.empty()) << platform.messages[0].text;
    EXPECT_EQ(window->dbTableList->item(0)->text().toStdString(), "[Table        ]AllTypes");

    const std::string module = Path("TestData.bas");
    platform.saveAnswers.push_back(module);
    window->dbBuildModule_Click();
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, "Build Module complete.");
    const std::string text = ReadFile(module);
    EXPECT_NE(text.find("TestDataDB"), std::string::npos);
    EXPECT_NE(text.find("Person"), std::string::npos);
}

TEST_F(BuildCommandTest, BuildsFromTheMenuOnlyOnceADatabaseIsOpen) {
    platform.saveAnswers.push_back(std::nullopt);
    window->menuBuild->trigger();
    ASSERT_TRUE(WaitFor([&] { return platform.saveRequests.size() == 1; }));
    EXPECT_THAT(platform.sentKeys, ElementsAre("%B"));
}

}  // namespace
}  // namespace vt::ui::test
