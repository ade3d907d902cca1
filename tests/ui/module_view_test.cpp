// What the window shows of the modules it wrote: their names in the
// outcome, their text coloured as Visual Basic, and their folder.

#include "ui/text_windows.h"
#include "ui/vb_syntax.h"
#include "window_fixture.h"

namespace vt::ui::test {
namespace {

// The spans of `line` as "k:" keyword, "c:" comment, "s:" string, each with
// its text.
std::string Marked(const QString& line) {
    const std::u16string_view text(reinterpret_cast<const char16_t*>(line.utf16()),
                                   static_cast<std::size_t>(line.size()));
    std::string marked;
    for (const VbSpan& span : VbSpans(text)) {
        const char* kind = span.token == VbToken::kKeyword ? "k:"
                           : span.token == VbToken::kComment ? "c:" : "s:";
        marked += (marked.empty() ? "" : " ") + std::string(kind) +
                  line.mid(static_cast<qsizetype>(span.start), static_cast<qsizetype>(span.length))
                      .toStdString();
    }
    return marked;
}

TEST(VbSpans, FindKeywordsCommentsAndStrings) {
    const std::pair<const char*, const char*> cases[] = {
        {"Dim s As String ' a \"note\"", "k:Dim k:As k:String c:' a \"note\""},
        {"s = \"It's \"\"quoted\"\" ' still\" & x", "s:\"It's \"\"quoted\"\" ' still\""},
        {"If Not oField Is Nothing Then Exit Function",
         "k:If k:Not k:Is k:Nothing k:Then k:Exit k:Function"},
        {"PRIVATE FUNCTION Größe() as long", "k:PRIVATE k:FUNCTION k:as k:long"},
        {"myField.Type = dbText: Rem the type", "c:Rem the type"},
        {"  rem a whole line", "c:rem a whole line"},
        {"Remark = String$(3, \"a\") & Endless", "s:\"a\""},
        {"s = \"never closed", "s:\"never closed"},
        {"Attribute VB_Name = \"Orders\"", "k:Attribute s:\"Orders\""},
    };
    for (const auto& [line, marked] : cases) {
        EXPECT_EQ(Marked(QString::fromUtf8(line)), marked) << line;
    }
}

// The texts the highlighter coloured in `line` of `editor`.
Lines Coloured(const QPlainTextEdit* editor, int line) {
    const QTextBlock block = editor->document()->findBlockByNumber(line);
    Lines coloured;
    for (const QTextLayout::FormatRange& range : block.layout()->formats()) {
        coloured.push_back(block.text().mid(range.start, range.length).toStdString());
    }
    return coloured;
}

// View Module and Open Containing Folder wait for a module written in this
// run; a failed build neither enables them nor takes the earlier module
// away. The outcome names the module and offers its folder. The viewer
// shows the module as written, coloured, beside the main window; a module
// gone since is reported.
TEST_F(WindowTest, ViewModuleShowsTheModuleWrittenLast) {
    OpenThroughDialog(WriteSchema("Sales.json", SalesSchema()));
    Show();
    const auto enabled = [&] {
        return std::vector<bool>{window->dbViewModule->isEnabled(),
                                 window->menuViewModule->isEnabled(),
                                 window->menuOpenFolder->isEnabled()};
    };
    const std::string module = Path("Orders.bas");
    const auto build = [&](const std::string& path, bool fails) {
        failOutput = fails;
        platform.answers = {path};
        platform.log.clear();
        window->dbBuildModule_Click();
    };
    build(module, true);
    EXPECT_THAT(enabled(), ElementsAre(false, false, false));
    build(module, false);
    EXPECT_THAT(platform.Logged("detail"), ElementsAre("Written to " + module));
    EXPECT_THAT(platform.Logged("button"), ElementsAre("Open Containing &Folder"));
    EXPECT_THAT(enabled(), ElementsAre(true, true, true));
    build(Path("Other.bas"), true);
    EXPECT_THAT(enabled(), ElementsAre(true, true, true));

    window->dbViewModule->click();
    frmModuleView* view = window->ModuleView();
    EXPECT_TRUE(view->isVisible());
    EXPECT_FALSE(view->isModal());
    EXPECT_EQ(view->windowTitle(), "View Module - Orders.bas");
    ASSERT_EQ(view->moduleTabs->count(), 1);
    EXPECT_FALSE(view->moduleTabs->tabBar()->isVisible());
    std::string text = ReadFile(module);
    std::erase(text, '\r');
    EXPECT_EQ(view->ModuleEditor(0)->toPlainText().toStdString(), text);
    EXPECT_THAT(Coloured(view->ModuleEditor(0), 0), ElementsAre("Attribute", "\"Orders\""));
    EXPECT_THAT(Coloured(view->ModuleEditor(0), 1), ElementsAre("' Orders.bas"));

    view->close();
    QFile::remove(QString::fromStdString(module));
    platform.log.clear();
    window->menuViewModule->trigger();
    EXPECT_THAT(platform.Logged("box"), ElementsAre("16 0 Error in ViewModule() <Vellumtide> \r53 : "));
    EXPECT_FALSE(view->isVisible());
}

// The folder of the module written last opens from the menu and from the
// outcome's own button, through the desktop; a desktop that cannot open it
// is reported.
TEST_F(WindowTest, OpenContainingFolderShowsTheModulesFolder) {
    struct Case {
        bool fromOutcome;
        bool fails;
        Lines boxes;  // after the build's own
    };
    const Case cases[] = {
        {false, false, {}},
        {true, false, {}},
        {false, true, {"16 0 Error in OpenContainingFolder() <Vellumtide> \r75 : "}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fromOutcome);
        Reset();
        OpenThroughDialog(WriteSchema("Sales.json", SalesSchema()));
        QDir(QString::fromStdString(folder)).mkdir("modules");
        QFile::remove(QString::fromStdString(Path("modules/Orders.bas")));
        platform.answers = {Path("modules/Orders.bas")};
        platform.pressOwnButton = c.fromOutcome;
        platform.folderFails = c.fails;
        window->dbBuildModule_Click();
        if (!c.fromOutcome) {
            window->menuOpenFolder->trigger();
        }
        EXPECT_THAT(platform.Logged("folder"), ElementsAre(Path("modules")));
        Lines boxes = platform.Logged("box");
        boxes.erase(boxes.begin());
        EXPECT_EQ(boxes, c.boxes);
        EXPECT_EQ(platform.MousePointer(), pointer::kDefault);
    }
}

// A design in several modules shows one tab each, named by its file; the
// text is read in the module's code page.
TEST_F(WindowTest, ModuleViewShowsEachModuleInItsCodePage) {
    const std::string first = WriteFile("Big.bas", "Dim Stra\xDF" "e\r\n");
    const std::string second = WriteFile("Big_2.bas", "Dim b\r\n");
    frmModuleView* view = window->ModuleView();
    view->ShowModules({ReadModuleText(first, 1252), ReadModuleText(second, 1252)});
    ASSERT_EQ(view->moduleTabs->count(), 2);
    EXPECT_TRUE(view->moduleTabs->tabBar()->isVisible());
    EXPECT_EQ(view->moduleTabs->tabText(1), "Big_2.bas");
    EXPECT_EQ(view->ModuleEditor(0)->toPlainText(), QString::fromUtf8("Dim Straße\n"));
    EXPECT_EQ(view->windowTitle(), "View Module - Big.bas");
}

}  // namespace
}  // namespace vt::ui::test
