#pragma once
// One QApplication for the whole test program, on the offscreen platform.

#include <functional>

#include <QApplication>

namespace vt::ui::test {

// Creates the application on first use.
QApplication& App();

// Runs the event loop until `done` or `timeoutMs` passes.
bool WaitFor(const std::function<bool()>& done, int timeoutMs = 2000);

}  // namespace vt::ui::test
