// The Qt platform's own pieces: keystroke notation, dialog filters, message
// boxes and their answer codes, the settings store, the pointer and the
// system figures.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCursor>
#include <QDir>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTextBrowser>
#include <QSettings>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>

#include "common/error.h"
#include "qt_environment.h"
#include "ui/keystrokes.h"
#include "ui/main_window.h"
#include "ui/qt_platform.h"

namespace vt::ui::test {
namespace {

using ::testing::ElementsAre;

TEST(ParseKeystrokes, ReadsModifiersAndNamedKeys) {
    EXPECT_THAT(ParseKeystrokes("%O"), ElementsAre(Keystroke{Qt::Key_O, Qt::AltModifier}));
    EXPECT_THAT(ParseKeystrokes("^x"), ElementsAre(Keystroke{Qt::Key_X, Qt::ControlModifier}));
    EXPECT_THAT(ParseKeystrokes("{F1}"), ElementsAre(Keystroke{Qt::Key_F1, {}}));
    EXPECT_THAT(ParseKeystrokes("%{F4}"), ElementsAre(Keystroke{Qt::Key_F4, Qt::AltModifier}));
    EXPECT_THAT(ParseKeystrokes("+^a{ENTER}"),
                ElementsAre(Keystroke{Qt::Key_A, Qt::ShiftModifier | Qt::ControlModifier},
                            Keystroke{Qt::Key_Return, {}}));
    EXPECT_THAT(ParseKeystrokes("{%}"), ElementsAre(Keystroke{'%', {}}));
}

TEST(ParseKeystrokes, RejectsWhatItCannotRead) {
    for (const char* bad : {"{F1", "%", "{NOSUCHKEY}", "^"}) {
        SCOPED_TRACE(bad);
        try {
            ParseKeystrokes(bad);
            ADD_FAILURE() << "accepted";
        } catch (const ErrorException& e) {
            EXPECT_EQ(e.number(), err::kInvalidArgument);
        }
    }
}

TEST(QtNameFilters, TurnsTheBarListIntoQtFilters) {
    EXPECT_THAT(QtNameFilters("Access Database (*.mdb)|*.mdb|All Files (*.*)|*.*"),
                ElementsAre("Access Database (*.mdb)", "All Files (*)"));
    EXPECT_THAT(QtNameFilters("VB Module (*.bas)|*.bas|All Files (*.*)|*.*"),
                ElementsAre("VB Module (*.bas)", "All Files (*)"));
    EXPECT_THAT(QtNameFilters("Pictures|*.bmp;*.ico"), ElementsAre("Pictures (*.bmp *.ico)"));
}

TEST(MessageText, BreaksLinesAtCarriageReturns) {
    EXPECT_EQ(MessageText("a\rb").toStdString(), "a\nb");
    EXPECT_EQ(MessageText("a\r\nb").toStdString(), "a\nb");
}

// Clicks the button `which` of the message box once it is up.
void AnswerBox(QMessageBox::StandardButton which, std::string* text) {
    QTimer::singleShot(50, [which, text] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            ADD_FAILURE() << "no message box";
            return;
        }
        *text = box->windowTitle().toStdString() + "|" + box->text().toStdString();
        if (which == QMessageBox::Escape) {
            box->reject();
        } else {
            box->button(which)->click();
        }
    });
}

TEST(QtPlatformMessages, AnswerCodesFollowTheButtons) {
    App();
    QtPlatform platform;
    struct Case {
        int style;
        QMessageBox::StandardButton click;
        int code;
    };
    const Case cases[] = {
        {3, QMessageBox::Yes, 6}, {3, QMessageBox::No, 7},      {3, QMessageBox::Cancel, 2},
        {3, QMessageBox::Escape, 2}, {16, QMessageBox::Ok, 1}, {64, QMessageBox::Ok, 1},
        {4, QMessageBox::No, 7},     {1, QMessageBox::Cancel, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        std::string shown;
        AnswerBox(c.click, &shown);
        EXPECT_EQ(platform.ShowMessage("first\rsecond", c.style, "Vellumtide"), c.code);
        EXPECT_EQ(shown, "Vellumtide|first\nsecond");
    }
}

TEST(QtPlatformSettings, StoresUnderTheApplicationAndSection) {
    App();
    QStandardPaths::setTestModeEnabled(true);
    QtPlatform platform;
    {
        QSettings settings("Marrowlane", "Vellumtide");
        settings.clear();
    }
    EXPECT_EQ(platform.GetSetting("Vellumtide", "Last Data Path"), "");
    platform.SaveSetting("Vellumtide", "Last Data Path", "/srv/data");
    platform.SaveSetting("Vellumtide", "Last Program Path", "C:\\Code");
    EXPECT_EQ(platform.GetSetting("Vellumtide", "Last Data Path"), "/srv/data");
    EXPECT_EQ(platform.GetSetting("Vellumtide", "Last Program Path"), "C:\\Code");
    QSettings settings("Marrowlane", "Vellumtide");
    EXPECT_EQ(settings.value("Vellumtide/Last Data Path").toString(), "/srv/data");
    settings.clear();
    QStandardPaths::setTestModeEnabled(false);
}

TEST(QtPlatformPointer, BusyAndDefaultSetTheScreenWideCursor) {
    App();
    QtPlatform platform;
    platform.SetMousePointer(13);
    EXPECT_EQ(platform.MousePointer(), 13);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::BusyCursor);
    platform.SetMousePointer(13);
    platform.SetMousePointer(0);
    EXPECT_EQ(platform.MousePointer(), 0);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(QtPlatformSystem, ReportsTheRunningSystemAndMemory) {
    App();
    QtPlatform platform;
    const auto os = platform.QueryOsVersion();
    ASSERT_TRUE(os.has_value());
    EXPECT_EQ(os->systemName, "Linux");
    const MemoryStatus memory = platform.QueryMemoryStatus();
    EXPECT_GT(memory.availablePhysical, 0);
    EXPECT_LE(memory.memoryLoad, 100u);
    EXPECT_TRUE(QDir(QString::fromStdString(platform.ProgramFolder())).exists());
}

TEST(QtPlatformDialogs, CancelIsError32755) {
    App();
    QtPlatform platform;
    QTimer::singleShot(100, [] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            EXPECT_EQ(dialog->windowTitle(), "Open MS Access Database");
            dialog->close();
        }
    });
    FileDialogRequest request;
    request.title = "Open MS Access Database";
    request.filter = "Access Database (*.mdb)|*.mdb|All Files (*.*)|*.*";
    request.initialFolder = QDir::tempPath().toStdString();
    try {
        platform.OpenFileDialog(request);
        ADD_FAILURE() << "no cancel";
    } catch (const ErrorException& e) {
        EXPECT_EQ(e.number(), err::kDialogCancelled);
    }
}

}  // namespace
}  // namespace vt::ui::test

namespace vt::ui::test {
namespace {

TEST(Help, IsBundledAndOpensInItsOwnWindow) {
    App();
    QFile help(QStringLiteral(":/vellumtide/help/vellumtide-help.html"));
    ASSERT_TRUE(help.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(help.readAll());
    for (const char* topic : {"Open Database", "Build the Module", "Add Common Code",
                              "[TableODBC    ]", "F1"}) {
        EXPECT_TRUE(text.contains(QString::fromUtf8(topic))) << topic;
    }
    QtPlatform platform;
    platform.ShowHelp();
    QWidget* window = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == "helpWindow" && widget->isVisible()) {
            window = widget;
        }
    }
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), "Vellumtide Help");
    auto* browser = qobject_cast<QTextBrowser*>(window);
    ASSERT_NE(browser, nullptr);
    EXPECT_TRUE(browser->toPlainText().contains("Remembered folders"));
    platform.ShowHelp();  // a second F1 brings the same window back
    int windows = 0;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        windows += widget->objectName() == "helpWindow" ? 1 : 0;
    }
    EXPECT_EQ(windows, 1);
}

}  // namespace
}  // namespace vt::ui::test

namespace vt::ui::test {
namespace {

// On the real platform the start-up holds for the splash pause; the
// settings land in the platform's store.
TEST(QtPlatformStartUp, HoldsForThePause) {
    App();
    QStandardPaths::setTestModeEnabled(true);
    {
        QSettings settings("Marrowlane", "Vellumtide");
        settings.clear();
    }
    QtPlatform platform;
    frmTessel window(WindowServices{platform});
    QElapsedTimer timer;
    timer.start();
    window.Form_Load();
    const qint64 elapsed = timer.elapsed();
    EXPECT_GE(elapsed, 3000);
    const std::string folder = platform.ProgramFolder();
    EXPECT_EQ(platform.GetSetting("Vellumtide", "Last Program Path"), folder);
    EXPECT_EQ(platform.GetSetting("Vellumtide", "Last Data Path"), folder);
    EXPECT_EQ(window.LastProgramPath(), folder);
    QSettings("Marrowlane", "Vellumtide").clear();
    QStandardPaths::setTestModeEnabled(false);
}

}  // namespace
}  // namespace vt::ui::test

namespace vt::ui::test {
namespace {

// The save dialog takes an existing name without asking (the command asks
// itself) and a name without extension as typed.
TEST(QtPlatformDialogs, SaveReturnsTheTypedNameAsIs) {
    App();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    {
        QFile existing(dir.filePath("Orders.bas"));
        ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    }
    QtPlatform platform;
    for (const QString& name : {QStringLiteral("Orders.bas"), QStringLiteral("Plain")}) {
        std::string filterShown;
        QTimer::singleShot(100, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr) {
                ADD_FAILURE() << "no file dialog";
                return;
            }
            filterShown = dialog->selectedNameFilter().toStdString();
            EXPECT_EQ(dialog->windowTitle(), "Save Sales.mdb Database Source Code");
            EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
            dialog->findChild<QLineEdit*>("fileNameEdit")->setText(name);
            QMetaObject::invokeMethod(dialog, "accept");
        });
        FileDialogRequest request;
        request.title = "Save Sales.mdb Database Source Code";
        request.filter = "VB Module (*.bas)|*.bas|All Files (*.*)|*.*";
        request.filterIndex = 1;
        request.fileName = "DBCreate";
        request.initialFolder = dir.path().toStdString();
        request.flags = 4;
        EXPECT_EQ(platform.SaveFileDialog(request), dir.filePath(name).toStdString());
        EXPECT_EQ(filterShown, "VB Module (*.bas)");
    }
}

}  // namespace
}  // namespace vt::ui::test

namespace vt::ui::test {
namespace {

// A name typed in the open dialog for a file that does not exist comes back
// as well; opening it is what fails.
TEST(QtPlatformDialogs, OpenAcceptsANameThatDoesNotExist) {
    App();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QtPlatform platform;
    QTimer::singleShot(100, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            ADD_FAILURE() << "no file dialog";
            return;
        }
        EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptOpen);
        EXPECT_EQ(dialog->selectedNameFilter().toStdString(), "Access Database (*.mdb)");
        dialog->findChild<QLineEdit*>("fileNameEdit")->setText("Missing.mdb");
        QMetaObject::invokeMethod(dialog, "accept");
    });
    FileDialogRequest request;
    request.title = "Open MS Access Database";
    request.filter = "Access Database (*.mdb)|*.mdb|All Files (*.*)|*.*";
    request.filterIndex = 1;
    request.initialFolder = dir.path().toStdString();
    request.flags = 4;
    EXPECT_EQ(platform.OpenFileDialog(request), dir.filePath("Missing.mdb").toStdString());
}

}  // namespace
}  // namespace vt::ui::test
