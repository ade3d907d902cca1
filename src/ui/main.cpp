// vellumtide: the desktop window. It starts with the splash screen, then
// shows frmTessel until the window is closed; a FILE argument is opened
// once the window is up, as desktops pass a file chosen in their file
// manager.

#include <QApplication>
#include <QCommandLineParser>

#include "ui/main_window.h"
#include "ui/qt_platform.h"
#include "vellumtide_version.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vellumtide"));
    QApplication::setOrganizationName(QStringLiteral("Marrowlane"));
    QApplication::setApplicationVersion(QStringLiteral(VELLUMTIDE_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("vellumtide"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Writes a Visual Basic module whose DAO code re-creates an Access database."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("A database (.mdb, .accdb) or schema file to open."),
                                 QStringLiteral("[FILE]"));
    parser.process(app);  // --help and --version print and exit here

    vt::ui::QtPlatform platform;
    vt::ui::frmTessel window(vt::ui::WindowServices{platform});
    window.Form_Load();
    window.show();
    window.activateWindow();
    if (!parser.positionalArguments().isEmpty()) {
        window.OpenFile(parser.positionalArguments().front().toStdString());
    }
    return QApplication::exec();
}
