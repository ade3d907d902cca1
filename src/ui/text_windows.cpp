#include "ui/text_windows.h"

#include <algorithm>

#include <QApplication>
#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "ui/metrics.h"

namespace vt::ui {
namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

QPlainTextEdit* ReadOnlyText(QWidget* parent, const char* name) {
    auto* edit = new QPlainTextEdit(parent);
    edit->setObjectName(name);
    edit->setReadOnly(true);
    edit->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    edit->setFont(FixedFont(9));
    return edit;
}

// A Close button under `content`; Esc closes the window as well.
QPushButton* CloseRow(QDialog* dialog, QWidget* content, const char* name) {
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(content, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
    QPushButton* close = buttons->button(QDialogButtonBox::Close);
    close->setObjectName(name);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    layout->addWidget(buttons);
    return close;
}

// Room for `columns` by `lines` of the editor's font, kept on the screen.
QSize TextRoom(const QPlainTextEdit* edit, int columns, int lines) {
    const QFontMetrics metrics(edit->font());
    QSize room(columns * metrics.horizontalAdvance(QLatin1Char('M')) + Twips(900),
               lines * metrics.lineSpacing() + Twips(1200));
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        room = room.boundedTo(screen->availableGeometry().size() * 0.8);
    }
    return room;
}

void ShowOver(QDialog* dialog) {
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

}  // namespace

frmDetails::frmDetails(QWidget* parent) : QDialog(parent) {
    setObjectName("frmDetails");
    detailsText = ReadOnlyText(this, "detailsText");
    detailsClose = CloseRow(this, detailsText, "detailsClose");
}

void frmDetails::ShowText(const std::string& title, const std::string& text) {
    setWindowTitle(Q(title));
    detailsText->setPlainText(Q(text));
    const QStringList lines = Q(text).split('\n');
    const auto longest = std::max_element(lines.begin(), lines.end(), [](const QString& a, const QString& b) {
        return a.size() < b.size();
    });
    resize(TextRoom(detailsText, std::max<int>(40, static_cast<int>(longest->size())),
                    std::clamp(static_cast<int>(lines.size()), 8, 30)));
    ShowOver(this);
}

}  // namespace vt::ui
