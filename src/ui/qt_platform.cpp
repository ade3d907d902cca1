#include "ui/qt_platform.h"

#include <sys/utsname.h>

#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QKeyEvent>
#include <QLabel>
#include <QSettings>
#include <QTextBrowser>
#include <QThread>

#include <fstream>
#include <sstream>

#include "common/error.h"
#include "ui/about_text.h"
#include "ui/keystrokes.h"

namespace vt::ui {

QStringList QtNameFilters(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i];
        QString patterns = parts[i + 1];
        patterns.replace(';', ' ');
        patterns.replace(QStringLiteral("*.*"), QStringLiteral("*"));
        // Qt reads the patterns from the last parentheses of the entry.
        const QString shown = "(" + parts[i + 1] + ")";
        if (description.endsWith(shown)) {
            description.chop(shown.size());
            description = description.trimmed();
        }
        filters << description + " (" + patterns + ")";
    }
    return filters;
}

QString MessageText(const std::string& text) {
    QString shown = QString::fromStdString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace('\r', '\n');
    return shown;
}

namespace {

// The help window closes with Esc, as the program's dialogs do.
class HelpBrowser : public QTextBrowser {
protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
            close();
            return;
        }
        QTextBrowser::keyPressEvent(event);
    }
};

}  // namespace

QtPlatform::QtPlatform() = default;

QtPlatform::~QtPlatform() {
    delete help_.data();
}

namespace {

QMessageBox::Icon IconFor(int style) {
    switch (style & 0x70) {
    case box::kCritical: return QMessageBox::Critical;
    case box::kQuestion: return QMessageBox::Question;
    case box::kExclamation: return QMessageBox::Warning;
    case box::kInformation: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

// A button of a box and the answer code it stands for.
struct Choice {
    QMessageBox::StandardButton button;
    int code;
};

std::vector<Choice> ChoicesFor(int style) {
    switch (style & 0x0f) {
    case box::kOkCancel:
        return {{QMessageBox::Ok, answer::kOk}, {QMessageBox::Cancel, answer::kCancel}};
    case box::kAbortRetryIgnore:
        return {{QMessageBox::Abort, answer::kAbort},
                {QMessageBox::Retry, answer::kRetry},
                {QMessageBox::Ignore, answer::kIgnore}};
    case box::kYesNoCancel:
        return {{QMessageBox::Yes, answer::kYes},
                {QMessageBox::No, answer::kNo},
                {QMessageBox::Cancel, answer::kCancel}};
    case box::kYesNo:
        return {{QMessageBox::Yes, answer::kYes}, {QMessageBox::No, answer::kNo}};
    case box::kRetryCancel:
        return {{QMessageBox::Retry, answer::kRetry}, {QMessageBox::Cancel, answer::kCancel}};
    default:
        return {{QMessageBox::Ok, answer::kOk}};
    }
}

}  // namespace

int QtPlatform::ShowMessage(const std::string& text, int style, const std::string& title) {
    return ShowMessageWith(text, style, title, BoxExtras{});
}

// The detail is the box's informative text, under its text in a smaller
// weight; the program's own button stands before the others.
int QtPlatform::ShowMessageWith(const std::string& text, int style, const std::string& title,
                                const BoxExtras& extras) {
    QMessageBox message(QApplication::activeWindow());
    message.setWindowTitle(QString::fromStdString(title));
    message.setTextFormat(Qt::PlainText);
    message.setText(MessageText(text));
    message.setInformativeText(MessageText(extras.detail));
    // The detail names files: a path broken at a slash is hard to read, so
    // the box grows to hold each line whole.
    if (auto* detail = message.findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"))) {
        detail->setWordWrap(false);
    }
    message.setIcon(IconFor(style));
    QPushButton* own =
        extras.button.empty()
            ? nullptr
            : message.addButton(QString::fromStdString(extras.button), QMessageBox::ActionRole);
    const std::vector<Choice> choices = ChoicesFor(style);
    for (const Choice& choice : choices) {
        message.addButton(choice.button);
    }
    const std::size_t defaultIndex = static_cast<std::size_t>((style >> 8) & 0x3);
    message.setDefaultButton(choices[std::min(defaultIndex, choices.size() - 1)].button);
    // Escape answers Cancel where there is one, else the only button.
    for (const Choice& choice : choices) {
        if (choice.code == answer::kCancel || choices.size() == 1) {
            message.setEscapeButton(choice.button);
        }
    }
    message.exec();
    if (own != nullptr && message.clickedButton() == own) {
        return answer::kOwnButton;
    }
    const auto clicked = message.standardButton(message.clickedButton());
    for (const Choice& choice : choices) {
        if (choice.button == clicked) {
            return choice.code;
        }
    }
    return choices.size() == 1 ? choices.front().code : answer::kCancel;
}

void QtPlatform::SetMousePointer(int shape) {
    pointer_ = shape;
    if (shape == pointer::kDefault) {
        while (QGuiApplication::overrideCursor() != nullptr) {
            QGuiApplication::restoreOverrideCursor();
        }
        return;
    }
    // 11 is the hourglass, 13 the arrow with hourglass; others show the arrow.
    const QCursor cursor(shape == 11   ? Qt::WaitCursor
                         : shape == pointer::kBusy ? Qt::BusyCursor
                                                   : Qt::ArrowCursor);
    if (QGuiApplication::overrideCursor() != nullptr) {
        QGuiApplication::changeOverrideCursor(cursor);
    } else {
        QGuiApplication::setOverrideCursor(cursor);
    }
}

std::string QtPlatform::RunFileDialog(const FileDialogRequest& request, bool save) {
    QFileDialog dialog(QApplication::activeWindow(), QString::fromStdString(request.title));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // Any name is accepted; a missing file fails where it is used.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    const QStringList filters = QtNameFilters(request.filter);
    dialog.setNameFilters(filters);
    if (request.filterIndex >= 1 && request.filterIndex <= filters.size()) {
        dialog.selectNameFilter(filters[request.filterIndex - 1]);
    }
    if (!request.initialFolder.empty()) {
        dialog.setDirectory(QString::fromStdString(request.initialFolder));
    }
    if (!request.fileName.empty()) {
        dialog.selectFile(QString::fromStdString(request.fileName));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        throw ErrorException(err::kDialogCancelled, "Cancel was selected.");
    }
    return QDir::toNativeSeparators(dialog.selectedFiles().front()).toStdString();
}

std::string QtPlatform::OpenFileDialog(const FileDialogRequest& request) {
    return RunFileDialog(request, false);
}

std::string QtPlatform::SaveFileDialog(const FileDialogRequest& request) {
    return RunFileDialog(request, true);
}

std::optional<std::string> QtPlatform::AskPassword(const std::string& prompt) {
    bool ok = false;
    const QString password = QInputDialog::getText(
        QApplication::activeWindow(), QString::fromUtf8(kProductName),
        QString::fromStdString(prompt), QLineEdit::Password, QString(), &ok);
    if (!ok) {
        return std::nullopt;
    }
    return password.toStdString();
}

namespace {

QString SettingsKey(const std::string& section, const std::string& key) {
    return QString::fromStdString(section) + "/" + QString::fromStdString(key);
}

}  // namespace

std::string QtPlatform::GetSetting(const std::string& section, const std::string& key) {
    QSettings settings(QString::fromUtf8(kSettingsApplication), QString::fromUtf8(kSettingsSection));
    return settings.value(SettingsKey(section, key), QString()).toString().toStdString();
}

void QtPlatform::SaveSetting(const std::string& section, const std::string& key,
                             const std::string& value) {
    QSettings settings(QString::fromUtf8(kSettingsApplication), QString::fromUtf8(kSettingsSection));
    settings.setValue(SettingsKey(section, key), QString::fromStdString(value));
    settings.sync();
    if (settings.status() != QSettings::NoError) {
        throw ErrorException(err::kPathFileAccess,
                             "The settings could not be written to " +
                                 settings.fileName().toStdString() + ".");
    }
}

std::string QtPlatform::HomeFolder() { return QDir::homePath().toStdString(); }

void QtPlatform::SendKeys(const std::string& keys) { PostKeystrokes(keys); }

void QtPlatform::ShowHelp() {
    if (help_.isNull()) {
        help_ = new HelpBrowser;
        help_->setAttribute(Qt::WA_DeleteOnClose, false);
        help_->setObjectName("helpWindow");
        help_->setWindowTitle(QStringLiteral("Vellumtide Help"));
        help_->setOpenExternalLinks(true);
        help_->setSource(QUrl(QStringLiteral("qrc:/vellumtide/help/vellumtide-help.html")));
        help_->resize(640, 560);
        help_->setWindowIcon(QApplication::windowIcon());
    }
    // Opened over the window it was asked from, as its dialogs are.
    if (const QWidget* over = QApplication::activeWindow(); over && !help_->isVisible()) {
        QRect area(QPoint(0, 0), help_->frameGeometry().size());
        area.moveCenter(over->frameGeometry().center());
        help_->move(area.topLeft());
    }
    help_->show();
    help_->raise();
    help_->activateWindow();
}

void QtPlatform::OpenFolder(const std::string& folder) {
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(folder)))) {
        throw ErrorException(err::kPathFileAccess,
                             "The desktop could not show the folder " + folder + ".");
    }
}

void QtPlatform::Sleep(int milliseconds) { QThread::msleep(static_cast<unsigned long>(milliseconds)); }

std::optional<OsVersion> QtPlatform::QueryOsVersion() {
    struct utsname names {};
    if (::uname(&names) != 0) {
        return std::nullopt;
    }
    return ParseKernelRelease(names.sysname, names.release);
}

MemoryStatus QtPlatform::QueryMemoryStatus() {
    std::ifstream in("/proc/meminfo");
    std::stringstream text;
    text << in.rdbuf();
    return ParseMeminfo(text.str()).value_or(MemoryStatus{});
}

void QtPlatform::EndProgram() {
    if (!help_.isNull()) {
        help_->close();
    }
    QApplication::closeAllWindows();
    QCoreApplication::exit(0);
}

}  // namespace vt::ui
