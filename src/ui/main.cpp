// vellumtide: the desktop window. It starts with the splash screen, then
// shows frmTessel until the window is closed.

#include <QApplication>

#include "ui/main_window.h"
#include "ui/qt_platform.h"
#include "vellumtide_version.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vellumtide"));
    QApplication::setOrganizationName(QStringLiteral("Marrowlane"));
    QApplication::setApplicationVersion(QStringLiteral(VELLUMTIDE_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("vellumtide"));

    vt::ui::QtPlatform platform;
    vt::ui::frmTessel window(vt::ui::WindowServices{platform});
    window.Form_Load();
    window.show();
    window.activateWindow();
    return QApplication::exec();
}
