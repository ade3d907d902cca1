// The desktop platform's own pieces: keystroke notation, message boxes, the
// file dialogs, the start-up pause on a real clock, the settings store, the
// pointer, the help window and the system figures.

#include <gmock/gmock.h>

#include <QtTest>
#include <QtWidgets>

#include "ui/about_text.h"
#include "ui/keystrokes.h"
#include "ui/main_window.h"
#include "ui/qt_platform.h"

namespace vt::ui::test {

// Takes the addresses the desktop is asked to open.
class UrlCatcher : public QObject {
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void Open(const QUrl& url) { opened.append(url); }
};

namespace {

TEST(ParseKeystrokes, ReadsTheNotationOrRejectsIt) {
    const std::pair<const char*, const char*> cases[] = {
        {"%O", "Alt+O"}, {"^x", "Ctrl+X"}, {"%{f16}", "Alt+F16"}, {"{%}", "%"},
        {"+^a{ENTER}~", "Ctrl+Shift+A Return Return"}, {"{F17}", "5"}, {"{F1", "5"}, {"%", "5"},
        {"{NOSUCHKEY}", "5"}};
    for (const auto& [keys, expected] : cases) {
        std::string seen;
        try {
            for (const Keystroke& stroke : ParseKeystrokes(keys)) {
                const QKeyCombination key(stroke.modifiers, Qt::Key(stroke.key));
                seen += (seen.empty() ? "" : " ") + QKeySequence(key).toString().toStdString();
            }
        } catch (const ErrorException& e) {
            seen = std::to_string(e.number());
        }
        EXPECT_EQ(seen, expected) << keys;
    }
}

// Each button of a box answers with its code, Escape with Cancel's; a lone
// carriage return breaks the line.
TEST(QtPlatform, MessageBoxesAnswerWithTheCodeOfTheButton) {
    QtPlatform platform;
    const std::tuple<int, QMessageBox::StandardButton, int> cases[] = {
        {3, QMessageBox::Yes, 6}, {3, QMessageBox::No, 7},  {3, QMessageBox::Cancel, 2},
        {3, QMessageBox::Escape, 2}, {64, QMessageBox::Ok, 1}};
    for (const auto& [style, button, code] : cases) {
        std::string shown;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            shown = box->windowTitle().toStdString() + "|" + box->text().toStdString();
            button == QMessageBox::Escape ? box->reject() : box->button(button)->click();
        });
        EXPECT_EQ(platform.ShowMessage("one\rtwo\r\nthree", style, "Vellumtide"), code) << style;
        EXPECT_EQ(shown, "Vellumtide|one\ntwo\nthree");
    }
}

// A box's extras: the detail under its text, and its own button, which
// answers with its own code beside the box's usual buttons.
TEST(QtPlatform, MessageBoxesShowTheirExtras) {
    QtPlatform platform;
    for (const bool own : {true, false}) {
        std::string shown;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            shown = box->text().toStdString() + "|" + box->informativeText().toStdString();
            QAbstractButton* ownButton = nullptr;
            for (QAbstractButton* button : box->buttons()) {
                ownButton = button->text() == "Open &Folder" ? button : ownButton;
            }
            shown += ownButton != nullptr ? "|own button" : "";
            (own ? ownButton : box->button(QMessageBox::Ok))->click();
        });
        const BoxExtras extras{"Written to\r/w/A.bas", "Open &Folder"};
        EXPECT_EQ(platform.ShowMessageWith("Done.", 64, "Vellumtide", extras),
                  own ? answer::kOwnButton : answer::kOk);
        EXPECT_EQ(shown, "Done.|Written to\n/w/A.bas|own button");
    }
}

// The desktop is asked to show the folder itself, as a local file; where it
// cannot (the offscreen test platform has no file manager) that is error 75.
TEST(QtPlatform, OpenFolderAsksTheDesktop) {
    QtPlatform platform;
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("file", &catcher, "Open");
    platform.OpenFolder("/srv/code modules");
    QDesktopServices::unsetUrlHandler("file");
    EXPECT_THAT(catcher.opened, ::testing::ElementsAre(QUrl::fromLocalFile("/srv/code modules")));
    try {
        platform.OpenFolder("/srv/code modules");
        ADD_FAILURE() << "opened without a file manager";
    } catch (const ErrorException& e) {
        EXPECT_EQ(e.number(), err::kPathFileAccess);
    }
}

// The dialogs show the filters asked for, the first one chosen,
// and accept any name as typed, existing or not, with no extension added;
// cancelling is error 32755.
TEST(QtPlatform, FileDialogsReturnTheNameAsTyped) {
    QtPlatform platform;
    QTemporaryDir dir;
    QFile(dir.filePath("Orders.bas")).open(QIODevice::WriteOnly);
    const std::tuple<bool, const char*, const char*> cases[] = {
        {true, "Orders.bas", "VB Module (*.bas)|All Files (*)"},
        {true, "Plain", "VB Module (*.bas)|All Files (*)"},
        {false, "Missing.mdb", "Access Database (*.mdb *.accdb)|All Files (*)"},
        {false, nullptr, "Access Database (*.mdb *.accdb)|All Files (*)"}};
    for (const auto& [save, typed, filters] : cases) {
        const FileDialogRequest request{"Title", save ? kSaveFilter : kOpenFilter, 1, "DBCreate",
                                        dir.path().toStdString(), kHideReadOnly};
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            EXPECT_EQ(dialog->acceptMode() == QFileDialog::AcceptSave, save);
            EXPECT_EQ(dialog->nameFilters().join("|").toStdString(), filters);
            EXPECT_EQ(dialog->selectedNameFilter(), dialog->nameFilters().at(0));
            if (typed == nullptr) {
                return dialog->reject();
            }
            dialog->findChild<QLineEdit*>("fileNameEdit")->setText(typed);
            QMetaObject::invokeMethod(dialog, "accept");
        });
        std::string chosen;
        try {
            chosen = save ? platform.SaveFileDialog(request) : platform.OpenFileDialog(request);
        } catch (const ErrorException& e) {
            chosen = std::to_string(e.number());
        }
        EXPECT_EQ(chosen, typed ? dir.filePath(typed).toStdString() : "32755");
    }
}

// On the desktop start-up holds for the splash pause at least and stores
// the folders under the application and section; the busy pointer is
// screen-wide until the default one is back; F1 brings the bundled help
// into one window of its own; the system names itself.
TEST(QtPlatform, ServesTheWindowOnTheDesktop) {
    QSettings settings("Marrowlane", "Vellumtide");
    settings.clear();
    QtPlatform platform;
    frmTessel window(WindowServices{platform});
    QElapsedTimer timer;
    timer.start();
    window.Form_Load();
    EXPECT_GE(timer.elapsed(), 3000);
    settings.sync();
    EXPECT_EQ(settings.value("Vellumtide/Last Data Path").toString().toStdString(),
              QDir::homePath().toStdString());
    platform.SetMousePointer(13);
    platform.SetMousePointer(13);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::BusyCursor);
    platform.SetMousePointer(0);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    window.move(40, 30);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &window; }));
    platform.ShowHelp();
    platform.ShowHelp();
    QWidgetList shown = QApplication::topLevelWidgets();
    shown.removeIf([&](QWidget* widget) { return !widget->isVisible() || widget == &window; });
    ASSERT_EQ(shown.size(), 1);
    QWidget* help = shown[0];
    EXPECT_EQ(help->windowTitle(), "Vellumtide Help");
    EXPECT_TRUE(help->property("plainText").toString().contains("Remembered folders"));
    EXPECT_LE((help->frameGeometry().center() - window.frameGeometry().center())
                  .manhattanLength(), 10);
    EXPECT_EQ(help->windowIcon().cacheKey(), window.windowIcon().cacheKey());
    QTest::keyClick(help, Qt::Key_Escape);
    EXPECT_FALSE(help->isVisible());
    EXPECT_EQ(OsLine(platform.QueryOsVersion()).left(15), "Linux, version ");
    const auto memory = ParseMeminfo("MemTotal: 8000 kB\nMemFree: 500 kB\nMemAvailable: 2000 kB\n");
    EXPECT_EQ(memory.value_or(MemoryStatus{}).availablePhysical, 2000 * 1024);
    EXPECT_EQ(memory.value_or(MemoryStatus{}).memoryLoad, 75u);
}

}  // namespace
}  // namespace vt::ui::test

#include "platform_test.moc"
