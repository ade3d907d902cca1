#pragma once
// Everything the window needs from the desktop, in one place: message boxes,
// the screen-wide pointer, file dialogs, the password prompt, the settings
// store, keystroke simulation, the help window, the file manager, the
// splash pause and the figures of the About box. The program uses the Qt implementation; tests
// use a scripted one, so every command runs headless with chosen answers.

#include <cstdint>
#include <optional>
#include <string>

#include "common/messenger.h"

namespace vt::ui {

// Dialog flag: no read-only check box.
inline constexpr int kHideReadOnly = 4;

// What a file dialog is asked to show. `filter` is "description|pattern|…";
// `filterIndex` counts from 1.
struct FileDialogRequest {
    std::string title;
    std::string filter;
    int filterIndex = 1;
    std::string fileName;
    std::string initialFolder;
    int flags = 0;
};

// The operating system's name and version as the About box shows it. A
// Windows platform id (0, 1, 2) leaves `systemName` empty; elsewhere the
// system names itself ("Linux").
struct OsVersion {
    std::int64_t platformId = -1;
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::string systemName;
};

// Memory figures in 64 bits, so large memories never read negative.
struct MemoryStatus {
    std::uint32_t memoryLoad = 0;          // percent in use
    std::int64_t availablePhysical = 0;    // bytes
};

class Platform : public Messenger {
public:
    // Both dialogs return the chosen full path; cancelling throws
    // ErrorException with err::kDialogCancelled.
    virtual std::string OpenFileDialog(const FileDialogRequest& request) = 0;
    virtual std::string SaveFileDialog(const FileDialogRequest& request) = 0;

    // A modal password prompt; none when the user cancels.
    virtual std::optional<std::string> AskPassword(const std::string& prompt) = 0;

    // The per-user store: a missing key reads as the empty text. Writing
    // throws ErrorException when the store cannot be written.
    virtual std::string GetSetting(const std::string& section, const std::string& key) = 0;
    virtual void SaveSetting(const std::string& section, const std::string& key,
                             const std::string& value) = 0;

    // The folder the remembered folders start from: the user's home folder
    // (an installed program's own folder is no place for databases or
    // modules).
    virtual std::string HomeFolder() = 0;

    // Queues a keystroke sequence ("%O", "^X", "{F1}") for the focused
    // control of the active window and returns at once.
    virtual void SendKeys(const std::string& keys) = 0;

    // Opens the program's help window.
    virtual void ShowHelp() = 0;

    // Shows `folder` in the desktop's file manager; throws ErrorException
    // when the desktop cannot.
    virtual void OpenFolder(const std::string& folder) = 0;

    // Blocks the user-interface thread; nothing repaints meanwhile.
    virtual void Sleep(int milliseconds) = 0;

    virtual std::optional<OsVersion> QueryOsVersion() = 0;
    virtual MemoryStatus QueryMemoryStatus() = 0;

    // Ends the program at once, after the main window has unloaded.
    virtual void EndProgram() = 0;
};

// The settings store's application and section.
inline constexpr const char* kSettingsApplication = "Marrowlane";
inline constexpr const char* kSettingsSection = "Vellumtide";
inline constexpr const char* kKeyLastProgramPath = "Last Program Path";
inline constexpr const char* kKeyLastDataPath = "Last Data Path";
// The main window's size and place, as Qt saves them, in base64.
inline constexpr const char* kKeyWindowGeometry = "Window Geometry";
// The databases opened last, newest first, one per line.
inline constexpr const char* kKeyRecentFiles = "Recent Files";
inline constexpr const char* kKeyCopyFullDesign = "Copy Full Design";  // "1" when checked

}  // namespace vt::ui
