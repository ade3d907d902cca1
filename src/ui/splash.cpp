#include "ui/splash.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>

#include "ui/metrics.h"
#include "ui/platform.h"
#include "vellumtide_version.h"

namespace vt::ui {

frmSplash::frmSplash(Platform& platform, QWidget* parent)
    : QFrame(parent, Qt::SplashScreen | Qt::FramelessWindowHint), platform_(platform) {
    setObjectName("frmSplash");
    // A dialog frame drawn by the window itself: no title, no control box.
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(2);
    const int frame = frameWidth();
    setFixedSize(Twips(4590) + 2 * frame, Twips(3195) + 2 * frame);
    setFont(SansFont(8.25));

    Picture1 = new QFrame(this);
    Picture1->setObjectName("Picture1");
    Picture1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Picture1->setGeometry(TwipsRect(135, 135, 4290, 2895).translated(frame, frame));

    splashName = new QLabel(QStringLiteral("Name"), Picture1);
    splashName->setObjectName("splashName");
    splashName->setAlignment(Qt::AlignCenter);
    splashName->setFont(SansFont(13.5, true));
    splashName->setGeometry(TwipsRect(0, 90, 4245, 375));

    splashVersion = new QLabel(QStringLiteral("Version"), Picture1);
    splashVersion->setObjectName("splashVersion");
    splashVersion->setAlignment(Qt::AlignCenter);
    splashVersion->setGeometry(TwipsRect(0, 630, 4245, 240));

    splashCopyright = new QLabel(
        QStringLiteral("Copyright \u00A9 2026 Marrowlane.\nAll rights reserved."), Picture1);
    splashCopyright->setObjectName("splashCopyright");
    splashCopyright->setAlignment(Qt::AlignCenter);
    splashCopyright->setGeometry(TwipsRect(675, 1035, 2895, 420));

    splashProgressBar = new QProgressBar(Picture1);
    splashProgressBar->setObjectName("splashProgressBar");
    splashProgressBar->setRange(0, 100);
    splashProgressBar->setValue(0);
    splashProgressBar->setTextVisible(false);
    splashProgressBar->setGeometry(TwipsRect(180, 2430, 3840, 285));

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect area = rect();
        area.moveCenter(screen->availableGeometry().center());
        move(area.topLeft());
    }
}

void frmSplash::Load() {
    splashName->setText(QString::fromUtf8(kProductName));
    splashVersion->setText(QStringLiteral("Version ") + QStringLiteral(VELLUMTIDE_VERSION));
    Refresh();
}

void frmSplash::Refresh() {
    // The window system maps the window asynchronously; let it catch up so
    // the paint reaches the screen before the thread blocks.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void frmSplash::Unload() {
    platform_.Sleep(kSplashPauseMs);
    splashProgressBar->setValue(100);
    close();
}

}  // namespace vt::ui
