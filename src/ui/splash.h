#pragma once
// frmSplash: the product's name, version and rights notice while the main
// window loads. Its unload holds the screen for the fixed pause.

#include <QFrame>

class QLabel;
class QProgressBar;

namespace vt::ui {

class Platform;

inline constexpr int kSplashPauseMs = 3000;

class frmSplash : public QFrame {
public:
    explicit frmSplash(Platform& platform, QWidget* parent = nullptr);

    // Fills the texts and repaints.
    void Load();
    // Repaints at once, also before the event loop runs.
    void Refresh();
    // The pause, the full progress bar, then the window closes.
    void Unload();

    QFrame* Picture1 = nullptr;
    QLabel* splashName = nullptr;
    QLabel* splashVersion = nullptr;
    QLabel* splashCopyright = nullptr;
    QProgressBar* splashProgressBar = nullptr;

private:
    Platform& platform_;
};

}  // namespace vt::ui
