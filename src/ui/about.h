#pragma once
// frmAbout: name, version, rights notice and three lines about the system,
// filled afresh each time the box becomes active.

#include <QDialog>
#include <QLocale>

class QLabel;
class QPushButton;

namespace vt::ui {

class Platform;

class frmAbout : public QDialog {
public:
    explicit frmAbout(Platform& platform, QWidget* parent = nullptr);

    // The activation step: every caption filled from the figures of now.
    void Activate();
    void SetLocale(const QLocale& locale) { locale_ = locale; }

    QLabel* aboutName = nullptr;
    QLabel* aboutVersion = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* aboutOS = nullptr;
    QLabel* aboutFreeMem = nullptr;
    QLabel* aboutFreeRes = nullptr;
    QLabel* Picture1 = nullptr;
    QPushButton* aboutOK = nullptr;

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    Platform& platform_;
    QLocale locale_;
};

}  // namespace vt::ui
