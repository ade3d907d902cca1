#pragma once
// How the program reaches the user: modal message boxes and the screen-wide
// mouse pointer. The window shows real boxes; the command-line tool prints.

#include <string>

namespace vt {

inline constexpr const char* kProductName = "Vellumtide";

// Box styles: the low bits choose the buttons, the 16s the icon.
namespace box {
inline constexpr int kOkOnly = 0;
inline constexpr int kOkCancel = 1;
inline constexpr int kAbortRetryIgnore = 2;
inline constexpr int kYesNoCancel = 3;
inline constexpr int kYesNo = 4;
inline constexpr int kRetryCancel = 5;
inline constexpr int kCritical = 16;
inline constexpr int kQuestion = 32;
inline constexpr int kExclamation = 48;
inline constexpr int kInformation = 64;
}  // namespace box

// The code of the button that closed a box.
namespace answer {
inline constexpr int kOk = 1;
inline constexpr int kCancel = 2;
inline constexpr int kAbort = 3;
inline constexpr int kRetry = 4;
inline constexpr int kIgnore = 5;
inline constexpr int kYes = 6;
inline constexpr int kNo = 7;
inline constexpr int kOwnButton = 100;  // the button a box's extras add
}  // namespace answer

// What a box may hold beyond its text: more text under it (the files a
// command wrote) and a button of the program's own beside the others.
struct BoxExtras {
    std::string detail;
    std::string button;  // its caption; none when empty
};

namespace pointer {
inline constexpr int kDefault = 0;
inline constexpr int kBusy = 13;
}  // namespace pointer

class Messenger {
public:
    virtual ~Messenger() = default;
    // Shows a modal box; returns the answer code of the button pressed.
    virtual int ShowMessage(const std::string& text, int style, const std::string& title) = 0;
    // A box with extras; answer::kOwnButton when their button closed it.
    // Where boxes have no room for them, the detail follows the text on
    // lines of its own and there is no button of the program's own.
    virtual int ShowMessageWith(const std::string& text, int style, const std::string& title,
                                const BoxExtras& extras) {
        const std::string shown = extras.detail.empty() ? text : text + "\r" + extras.detail;
        return ShowMessage(shown, style, title);
    }
    virtual int MousePointer() const = 0;
    virtual void SetMousePointer(int shape) = 0;
};

}  // namespace vt
