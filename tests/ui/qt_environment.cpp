// The test program's one QApplication, on the offscreen platform, made
// before the first test, with a settings store of this process alone.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QTemporaryDir>

namespace {

// The tests run as parallel processes, and other checkouts' tests beside
// them: each process keeps its settings and runtime files in a folder of its
// own (private to the user, removed at exit), never in the shared store.
void IsolateSettings() {
    static const QTemporaryDir folder(QDir::tempPath() + "/vt_ui_tests-XXXXXX");
    const QString config = folder.filePath("config");
    qputenv("XDG_CONFIG_HOME", config.toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", folder.path().toLocal8Bit());
    // Qt's test mode would use the shared ~/.qttest whatever XDG_CONFIG_HOME
    // says; an explicit path wins over both.
    for (const auto format : {QSettings::NativeFormat, QSettings::IniFormat}) {
        QSettings::setPath(format, QSettings::UserScope, config);
    }
}

struct QtEnvironment : ::testing::Environment {
    void SetUp() override {
        static int argc = 1;
        static char name[] = "vt_ui_tests";
        static char* argv[] = {name, nullptr};
        qputenv("QT_QPA_PLATFORM", "offscreen");
        IsolateSettings();
        [[maybe_unused]] static const auto* app = new QApplication(argc, argv);  // kept to the end
    }
};

[[maybe_unused]] auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace
