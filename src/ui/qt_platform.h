#pragma once
// The platform services on a real desktop, through Qt.

#include <QPointer>

#include "ui/platform.h"

class QTextBrowser;

namespace vt::ui {

class QtPlatform : public Platform {
public:
    QtPlatform();
    ~QtPlatform() override;

    int ShowMessage(const std::string& text, int style, const std::string& title) override;
    int ShowMessageWith(const std::string& text, int style, const std::string& title,
                        const BoxExtras& extras) override;
    int MousePointer() const override { return pointer_; }
    void SetMousePointer(int shape) override;

    std::string OpenFileDialog(const FileDialogRequest& request) override;
    std::string SaveFileDialog(const FileDialogRequest& request) override;
    std::optional<std::string> AskPassword(const std::string& prompt) override;

    std::string GetSetting(const std::string& section, const std::string& key) override;
    void SaveSetting(const std::string& section, const std::string& key,
                     const std::string& value) override;
    std::string HomeFolder() override;

    void SendKeys(const std::string& keys) override;
    void ShowHelp() override;
    void OpenFolder(const std::string& folder) override;
    void Sleep(int milliseconds) override;
    std::optional<OsVersion> QueryOsVersion() override;
    MemoryStatus QueryMemoryStatus() override;
    void EndProgram() override;

private:
    std::string RunFileDialog(const FileDialogRequest& request, bool save);

    int pointer_ = 0;
    QPointer<QTextBrowser> help_;
};

// "Access Database (*.mdb)|*.mdb|All Files (*.*)|*.*" as Qt name filters;
// "*.*" stands for every file, as it does on Windows.
QStringList QtNameFilters(const std::string& filter);

// The text of a message box for display: a lone carriage return breaks the line.
QString MessageText(const std::string& text);

}  // namespace vt::ui
