#pragma once
// Keystroke simulation in the program's own window. The notation is the
// classic one: "%" Alt, "^" Ctrl, "+" Shift before a key, "{F1}" and the
// other named keys in braces.

#include <string>
#include <vector>

#include <Qt>

namespace vt::ui {

struct Keystroke {
    int key = 0;  // Qt::Key
    Qt::KeyboardModifiers modifiers;
    bool operator==(const Keystroke&) const = default;
};

// Throws ErrorException (5) for a sequence it cannot read.
std::vector<Keystroke> ParseKeystrokes(const std::string& keys);

// Queues `keys` for the focused control of the active window; they are
// delivered after the caller has returned to the event loop. Keys with Alt
// or a function key reach the window's access keys and shortcuts as typed
// keys do; the others go to the focused control, past the menu items bound
// to them (so Ctrl+X reaches the control's own cut and never starts the
// menu item that sent it again).
void PostKeystrokes(const std::string& keys);

}  // namespace vt::ui
