#pragma once
// Two read-only windows beside the main window: the details of one object
// of the open database, and the module text a build wrote, coloured as
// Visual Basic. Neither is modal, so the user can keep them open while
// working in the main window; each is filled afresh every time it is asked
// for.

#include <string>
#include <vector>

#include <QDialog>
#include <QSyntaxHighlighter>
#include <QTextCharFormat>

#include "ui/vb_syntax.h"

class QPlainTextEdit;
class QPushButton;
class QTabWidget;

namespace vt::ui {

// Colours keywords, comments and string literals, line by line.
class VbHighlighter : public QSyntaxHighlighter {
public:
    explicit VbHighlighter(QTextDocument* document);

protected:
    void highlightBlock(const QString& text) override;

private:
    QTextCharFormat FormatOf(VbToken token) const;
};

// A text to read and copy from, in a fixed-pitch font.
class frmDetails : public QDialog {
public:
    explicit frmDetails(QWidget* parent);

    void ShowText(const std::string& title, const std::string& text);

    QPlainTextEdit* detailsText = nullptr;
    QPushButton* detailsClose = nullptr;
};

// A module file as the viewer shows it: its name and its text in UTF-8.
struct ModuleText {
    std::string path;
    std::string text;
};

// Reads a module written in code page `codePage`, its CR LF line ends made
// LF; throws ErrorException (53) when the file cannot be read.
ModuleText ReadModuleText(const std::string& path, int codePage);

// The modules of the last build, one tab each when there are several.
class frmModuleView : public QDialog {
public:
    explicit frmModuleView(QWidget* parent);

    void ShowModules(const std::vector<ModuleText>& modules);
    // The text view of the module in tab `index`.
    QPlainTextEdit* ModuleEditor(int index) const;

    QTabWidget* moduleTabs = nullptr;
    QPushButton* moduleClose = nullptr;
};

}  // namespace vt::ui
