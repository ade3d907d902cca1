#include "qt_environment.h"

#include <QElapsedTimer>
#include <QMessageLogContext>
#include <QSettings>
#include <QThread>

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

namespace vt::ui::test {
namespace {

// A folder of this process alone for the settings store and the runtime
// files, removed when the process ends: tests run as parallel processes
// (and other checkouts run theirs) and must never share settings.
class PrivateFolder {
public:
    PrivateFolder() {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp != nullptr && *tmp != 0 ? tmp : "/tmp") +
                              "/vt_ui_tests.XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            std::abort();
        }
        path_ = pattern;
        ::mkdir((path_ + "/config").c_str(), 0700);
        ::mkdir((path_ + "/runtime").c_str(), 0700);
    }
    ~PrivateFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

void IsolateSettings() {
    static const PrivateFolder folder;
    const std::string config = folder.path() + "/config";
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (folder.path() + "/runtime").c_str(), 1);
    // Qt's test mode would put the store under the shared ~/.qttest
    // whatever XDG_CONFIG_HOME says; an explicit path wins over both.
    const QString store = QString::fromStdString(config);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, store);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, store);
}

}  // namespace

QApplication& App() {
    static int argc = 1;
    static char name[] = "vt_ui_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        IsolateSettings();
        // The offscreen platform says so for every fixed-size window.
        static const QtMessageHandler previous = qInstallMessageHandler(
            [](QtMsgType type, const QMessageLogContext& context, const QString& message) {
                if (message.contains(QStringLiteral("does not support propagateSizeHints"))) {
                    return;
                }
                if (previous != nullptr) {
                    previous(type, context, message);
                } else {
                    std::fprintf(stderr, "%s\n", qPrintable(message));
                }
            });
        return new QApplication(argc, argv);
    }();
    return *app;
}

bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}

namespace {

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override { App(); }
};

[[maybe_unused]] auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace
}  // namespace vt::ui::test
