#pragma once
// A read-only window beside the main window: the details of one object of
// the open database. It is not modal, so the user can keep it open while
// working in the main window; it is filled afresh every time it is asked
// for.

#include <string>
#include <vector>

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace vt::ui {

// A text to read and copy from, in a fixed-pitch font.
class frmDetails : public QDialog {
public:
    explicit frmDetails(QWidget* parent);

    void ShowText(const std::string& title, const std::string& text);

    QPlainTextEdit* detailsText = nullptr;
    QPushButton* detailsClose = nullptr;
};

}  // namespace vt::ui
