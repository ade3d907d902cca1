#pragma once
// The platform with scripted answers: every box, dialog and prompt is
// recorded, and answered from the queues the test fills.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "common/error.h"
#include "ui/keystrokes.h"
#include "ui/platform.h"

namespace vt::ui::test {

struct ShownMessage {
    std::string text;
    int style = 0;
    std::string title;
    int pointerWhileShown = -1;
};

class ScriptedPlatform : public Platform {
public:
    // --- message boxes: OK-only boxes answer OK; others take `answers`.
    std::vector<ShownMessage> messages;
    std::deque<int> answers;
    std::function<void(const ShownMessage&)> onMessage;

    int ShowMessage(const std::string& text, int style, const std::string& title) override {
        messages.push_back({text, style, title, pointer_});
        if (onMessage) {
            onMessage(messages.back());
        }
        if ((style & 0x0f) == box::kOkOnly) {
            return answer::kOk;
        }
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected question: " << text;
            return answer::kCancel;
        }
        const int reply = answers.front();
        answers.pop_front();
        return reply;
    }

    // --- the pointer, with every change kept in order.
    std::vector<int> pointerHistory;
    int MousePointer() const override { return pointer_; }
    void SetMousePointer(int shape) override {
        pointer_ = shape;
        pointerHistory.push_back(shape);
    }

    // --- file dialogs: nullopt in the queue is the Cancel button.
    std::vector<FileDialogRequest> openRequests, saveRequests;
    std::deque<std::optional<std::string>> openAnswers, saveAnswers;

    std::string OpenFileDialog(const FileDialogRequest& request) override {
        openRequests.push_back(request);
        return Answer(openAnswers, "open");
    }
    std::string SaveFileDialog(const FileDialogRequest& request) override {
        saveRequests.push_back(request);
        return Answer(saveAnswers, "save");
    }

    std::vector<std::string> passwordPrompts;
    std::deque<std::optional<std::string>> passwordAnswers;
    std::optional<std::string> AskPassword(const std::string& prompt) override {
        passwordPrompts.push_back(prompt);
        if (passwordAnswers.empty()) {
            ADD_FAILURE() << "unexpected password prompt";
            return std::nullopt;
        }
        auto reply = passwordAnswers.front();
        passwordAnswers.pop_front();
        return reply;
    }

    // --- settings: "section/key" -> value.
    std::map<std::string, std::string> store;
    std::vector<std::pair<std::string, std::string>> settingWrites;
    bool failSettingWrites = false;
    std::string GetSetting(const std::string& section, const std::string& key) override {
        auto it = store.find(section + "/" + key);
        return it == store.end() ? std::string() : it->second;
    }
    void SaveSetting(const std::string& section, const std::string& key,
                     const std::string& value) override {
        if (failSettingWrites) {
            throw ErrorException(err::kPathFileAccess, "The settings store is read-only.");
        }
        store[section + "/" + key] = value;
        settingWrites.emplace_back(key, value);
    }

    std::string programFolder = "/opt/vellumtide/bin";
    std::string ProgramFolder() override { return programFolder; }

    // --- keystrokes are recorded and delivered as the real program does.
    std::vector<std::string> sentKeys;
    void SendKeys(const std::string& keys) override {
        sentKeys.push_back(keys);
        PostKeystrokes(keys);
    }

    int helpShown = 0;
    void ShowHelp() override { ++helpShown; }

    std::vector<int> sleeps;
    std::function<void()> onSleep;
    void Sleep(int milliseconds) override {
        sleeps.push_back(milliseconds);
        if (onSleep) {
            onSleep();
        }
    }

    std::optional<OsVersion> osVersion;
    MemoryStatus memory;
    std::optional<OsVersion> QueryOsVersion() override { return osVersion; }
    MemoryStatus QueryMemoryStatus() override { return memory; }

    int endProgramCalls = 0;
    void EndProgram() override { ++endProgramCalls; }

private:
    std::string Answer(std::deque<std::optional<std::string>>& queue, const char* which) {
        if (queue.empty()) {
            ADD_FAILURE() << "unexpected " << which << " dialog";
            throw ErrorException(err::kDialogCancelled, "Cancel was selected.");
        }
        auto reply = queue.front();
        queue.pop_front();
        if (!reply) {
            throw ErrorException(err::kDialogCancelled, "Cancel was selected.");
        }
        return *reply;
    }

    int pointer_ = pointer::kDefault;
};

}  // namespace vt::ui::test
