#include "ui/keystrokes.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <cctype>
#include <map>

#include "common/error.h"

namespace vt::ui {
namespace {

[[noreturn]] void BadKeys(const std::string& keys) {
    throw ErrorException(err::kInvalidArgument, "The keystrokes '" + keys + "' cannot be read.");
}

int NamedKey(const std::string& name) {
    static const std::map<std::string, int> names = {
        {"ENTER", Qt::Key_Return}, {"TAB", Qt::Key_Tab},     {"ESC", Qt::Key_Escape},
        {"ESCAPE", Qt::Key_Escape}, {"BACKSPACE", Qt::Key_Backspace}, {"BS", Qt::Key_Backspace},
        {"DELETE", Qt::Key_Delete}, {"DEL", Qt::Key_Delete}, {"HOME", Qt::Key_Home},
        {"END", Qt::Key_End},       {"LEFT", Qt::Key_Left},  {"RIGHT", Qt::Key_Right},
        {"UP", Qt::Key_Up},         {"DOWN", Qt::Key_Down},  {"PGUP", Qt::Key_PageUp},
        {"PGDN", Qt::Key_PageDown},
    };
    std::string upper;
    for (char c : name) {
        upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    if (upper.size() >= 2 && upper[0] == 'F') {
        bool digits = true;
        for (std::size_t i = 1; i < upper.size(); ++i) {
            digits = digits && std::isdigit(static_cast<unsigned char>(upper[i]));
        }
        if (digits) {
            const int n = std::stoi(upper.substr(1));
            if (n >= 1 && n <= 16) {
                return Qt::Key_F1 + (n - 1);
            }
        }
    }
    if (upper.size() == 1) {
        return static_cast<int>(static_cast<unsigned char>(upper[0]));
    }
    auto it = names.find(upper);
    return it == names.end() ? 0 : it->second;
}

QString KeyText(const Keystroke& stroke) {
    if (stroke.modifiers & (Qt::ControlModifier | Qt::AltModifier)) {
        return {};
    }
    if (stroke.key >= 0x20 && stroke.key < 0x7f) {
        QChar c(stroke.key);
        return (stroke.modifiers & Qt::ShiftModifier) ? QString(c.toUpper()) : QString(c.toLower());
    }
    return {};
}

// The enabled actions of the active window that `stroke` would start.
std::vector<QAction*> ActionsFor(const Keystroke& stroke) {
    std::vector<QAction*> found;
    QWidget* window = QApplication::activeWindow();
    if (window == nullptr) {
        return found;
    }
    const QKeySequence sequence(QKeyCombination(stroke.modifiers, Qt::Key(stroke.key)));
    for (QAction* action : window->findChildren<QAction*>()) {
        if (action->isEnabled() && action->shortcuts().contains(sequence)) {
            found.push_back(action);
        }
    }
    return found;
}

void Deliver(const Keystroke& stroke) {
    QWidget* target = QApplication::focusWidget();
    if (target == nullptr) {
        target = QApplication::activeWindow();
    }
    if (target == nullptr) {
        return;
    }
    // Qt runs a sent key press through the shortcuts first, as a typed one.
    // That is what Alt and the function keys are for (access keys, F1).
    // Other keys are for the focused control itself: the menu items bound
    // to them stand aside, so Ctrl+X sent by Cut reaches the control's own
    // cut and never starts Cut again.
    const bool forControl = !(stroke.modifiers & Qt::AltModifier) &&
                            !(stroke.key >= Qt::Key_F1 && stroke.key <= Qt::Key_F35);
    std::vector<QPointer<QAction>> standAside;
    if (forControl) {
        for (QAction* action : ActionsFor(stroke)) {
            action->setEnabled(false);
            standAside.emplace_back(action);
        }
    }
    QPointer<QWidget> guard(target);
    const QString text = KeyText(stroke);
    QKeyEvent press(QEvent::KeyPress, stroke.key, stroke.modifiers, text);
    QApplication::sendEvent(target, &press);
    if (!guard.isNull()) {
        QKeyEvent release(QEvent::KeyRelease, stroke.key, stroke.modifiers, text);
        QApplication::sendEvent(target, &release);
    }
    for (const QPointer<QAction>& action : standAside) {
        if (!action.isNull()) {
            action->setEnabled(true);
        }
    }
}

}  // namespace

std::vector<Keystroke> ParseKeystrokes(const std::string& keys) {
    std::vector<Keystroke> strokes;
    Qt::KeyboardModifiers pending;
    std::size_t i = 0;
    while (i < keys.size()) {
        const char c = keys[i];
        if (c == '%' || c == '^' || c == '+') {
            pending |= c == '%' ? Qt::AltModifier
                       : c == '^' ? Qt::ControlModifier
                                  : Qt::ShiftModifier;
            ++i;
            continue;
        }
        int key = 0;
        if (c == '{') {
            // "{}}" is a literal brace; otherwise read up to the closing one.
            const auto close = keys.find('}', i + 2);
            if (close == std::string::npos) {
                BadKeys(keys);
            }
            key = NamedKey(keys.substr(i + 1, close - i - 1));
            i = close + 1;
        } else if (c == '~') {
            key = Qt::Key_Return;
            ++i;
        } else {
            key = std::toupper(static_cast<unsigned char>(c));
            ++i;
        }
        if (key == 0) {
            BadKeys(keys);
        }
        strokes.push_back(Keystroke{key, pending});
        pending = {};
    }
    if (pending != Qt::KeyboardModifiers{}) {
        BadKeys(keys);
    }
    return strokes;
}

void PostKeystrokes(const std::string& keys) {
    const std::vector<Keystroke> strokes = ParseKeystrokes(keys);
    QTimer::singleShot(0, qApp, [strokes] {
        for (const Keystroke& stroke : strokes) {
            Deliver(stroke);
        }
    });
}

}  // namespace vt::ui
