// The window as desktop programs are: resizable, back where it was left,
// the path shortened in its middle, files opened from the command line, by
// dropping them and from the recent files.

#include "window_fixture.h"

namespace vt::ui::test {
namespace {

// The list takes the room added; the smallest window fits a 1280×800
// screen at twice the scale; size and place come back at the next start.
TEST_F(WindowTest, ResizesAndComesBackWhereItWasLeft) {
    window->Form_Load();
    Show();
    EXPECT_LE(window->minimumSizeHint().width(), 640);
    EXPECT_LE(window->minimumSizeHint().height(), 400 - 40);  // a panel or title bar
    const int listHeight = window->dbTableList->height();
    window->setGeometry(60, 50, window->width() + 200, window->height() + 150);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->dbTableList->height() > listHeight; }));
    EXPECT_EQ(window->dbTableList->height() - listHeight, 150);
    const QRect left = window->geometry();
    window->close();
    const auto store = platform.store;
    Reset();
    platform.store = store;
    window->Form_Load();
    EXPECT_EQ(window->geometry(), left);
}

// A path wider than its label keeps its start and its file name; the
// tooltip and the label's text keep all of it.
TEST_F(WindowTest, ALongPathIsShortenedInItsMiddle) {
    const std::string deep = folder + "/" + std::string(120, 'd');
    QDir().mkpath(QString::fromStdString(deep));
    const std::string path = deep + "/Sales.json";
    { std::ofstream(path) << WriteSchemaJson(SalesSchema()); }
    window->resize(500, 400);
    Show();
    OpenThroughDialog(path);
    const QString shown = ShownPath(window->dbDatabaseName);
    EXPECT_TRUE(shown.contains(QChar(0x2026))) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith("/Sales.json")) << shown.toStdString();
    EXPECT_TRUE(shown.startsWith(QString::fromStdString(folder.substr(0, 4))));
    EXPECT_EQ(window->dbDatabaseName->toolTip().toStdString(), path);
    EXPECT_EQ(window->dbDatabaseName->text().toStdString(), path);
}

// A file named at start-up, dropped on the window or picked from the
// recent files opens with no dialog; the recent files hold each database
// once, newest first, only those that opened.
TEST_F(WindowTest, OpensFilesGivenWithoutTheDialog) {
    const std::string sales = WriteSchema("Sales.json", SalesSchema());
    const std::string stock = WriteSchema("Stock.json", {.tableDefs = {{"Stock"}}});
    window->OpenFile(sales);
    EXPECT_EQ(window->DatabasePath(), sales);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(stock))});
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    // As the window system delivers it once the drag has entered.
    static_cast<QObject*>(window.get())->event(&drop);
    EXPECT_TRUE(drop.isAccepted());
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->DatabasePath() == stock; }));
    EXPECT_THAT(ListLines(), ElementsAre("[Table        ]Stock"));
    window->OpenFile(Path("Missing.mdb"));  // reported, and not remembered
    window->OpenFile(sales);
    EXPECT_THAT(window->RecentFiles(), ElementsAre(sales, stock));
    ASSERT_EQ(window->menuRecent->actions().size(), 2);
    window->menuRecent->actions().at(1)->trigger();
    EXPECT_EQ(window->DatabasePath(), stock);
    EXPECT_TRUE(platform.Logged("open").empty());
    EXPECT_EQ(platform.Logged("box").size(), 1u);
}

}  // namespace
}  // namespace vt::ui::test
