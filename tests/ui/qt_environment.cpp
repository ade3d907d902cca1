#include "qt_environment.h"

#include <QElapsedTimer>
#include <QMessageLogContext>

#include <cstdio>
#include <QThread>

#include <gtest/gtest.h>

namespace vt::ui::test {

QApplication& App() {
    static int argc = 1;
    static char name[] = "vt_ui_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
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
