#include "ui/text_windows.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <iterator>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>

#include "common/codepage.h"
#include "common/error.h"
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

VbHighlighter::VbHighlighter(QTextDocument* document) : QSyntaxHighlighter(document) {}

void VbHighlighter::highlightBlock(const QString& text) {
    const std::u16string_view line(reinterpret_cast<const char16_t*>(text.utf16()),
                                   static_cast<std::size_t>(text.size()));
    for (const VbSpan& span : VbSpans(line)) {
        setFormat(static_cast<int>(span.start), static_cast<int>(span.length),
                  FormatOf(span.token));
    }
}

// The colours of Visual Basic's own editor: blue keywords, green comments;
// strings in dark red so that long literals stand out.
QTextCharFormat VbHighlighter::FormatOf(VbToken token) const {
    QTextCharFormat format;
    switch (token) {
    case VbToken::kKeyword: format.setForeground(QColor(0x00, 0x00, 0xA0)); break;
    case VbToken::kComment: format.setForeground(QColor(0x00, 0x80, 0x00)); break;
    case VbToken::kString: format.setForeground(QColor(0xA0, 0x10, 0x10)); break;
    }
    return format;
}

frmDetails::frmDetails(QWidget* parent) : QDialog(parent) {
    setObjectName("frmDetails");
    detailsText = ReadOnlyText(this, "detailsText");
    detailsClose = CloseRow(this, detailsText, "detailsClose");
}

void frmDetails::ShowText(const std::string& title, const std::string& text) {
    setWindowTitle(Q(title));
    detailsText->setPlainText(Q(text));
    const QStringList lines = Q(text).split('\n');
    const auto longest =
        std::max_element(lines.begin(), lines.end(),
                         [](const QString& a, const QString& b) { return a.size() < b.size(); });
    resize(TextRoom(detailsText, std::max<int>(40, static_cast<int>(longest->size())),
                    std::clamp(static_cast<int>(lines.size()), 8, 30)));
    ShowOver(this);
}

ModuleText ReadModuleText(const std::string& path, int codePage) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw ErrorException(ErrorFromErrno(errno, path));
    }
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::string text = CodePage::Open(codePage).Decode(bytes);
    std::erase(text, '\r');  // every line ends in CR LF
    return {path, text};
}

frmModuleView::frmModuleView(QWidget* parent) : QDialog(parent) {
    setObjectName("frmModuleView");
    moduleTabs = new QTabWidget(this);
    moduleTabs->setObjectName("moduleTabs");
    moduleTabs->setTabBarAutoHide(true);  // tabs only for a design in several modules
    moduleTabs->setDocumentMode(true);
    moduleClose = CloseRow(this, moduleTabs, "moduleClose");
}

void frmModuleView::ShowModules(const std::vector<ModuleText>& modules) {
    while (moduleTabs->count() > 0) {
        QWidget* page = moduleTabs->widget(0);
        moduleTabs->removeTab(0);
        delete page;
    }
    for (const ModuleText& module : modules) {
        QPlainTextEdit* editor = ReadOnlyText(moduleTabs, "moduleText");
        new VbHighlighter(editor->document());
        editor->setPlainText(Q(module.text));
        const int tab = moduleTabs->addTab(editor, QFileInfo(Q(module.path)).fileName());
        moduleTabs->setTabToolTip(tab, Q(module.path));
    }
    const QString first =
        modules.empty() ? QString() : QFileInfo(Q(modules.front().path)).fileName();
    setWindowTitle(QStringLiteral("View Module - ") + first);
    if (!isVisible() && ModuleEditor(0) != nullptr) {
        resize(TextRoom(ModuleEditor(0), 100, 36));
    }
    ShowOver(this);
}

QPlainTextEdit* frmModuleView::ModuleEditor(int index) const {
    return qobject_cast<QPlainTextEdit*>(moduleTabs->widget(index));
}

}  // namespace vt::ui
