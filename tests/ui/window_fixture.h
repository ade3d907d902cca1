#pragma once
// A main window on a platform with the user's answers scripted, its
// databases in a temporary folder, opened by an engine that guards
// Locked.json with the password "tide", fails in the catalogue of
// Broken.json and counts the databases the window closes.

#include <gmock/gmock.h>

#include <QtTest>
#include <QtWidgets>
#include <deque>

#include "dbaccess/open.h"
#include "dbaccess/schema_json.h"
#include "support/fakes.h"
#include "support/files.h"
#include "ui/keystrokes.h"
#include "ui/main_window.h"
#include "ui/platform.h"

// The designs below name only the members they need.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace vt::ui::test {

using ::testing::ElementsAre;
using vt::test::ReadFile;
using Lines = std::vector<std::string>;
using Reply = std::optional<std::string>;  // none: the Cancel button

// Every call is logged as a line of text; every dialog, prompt and question
// takes the next answer, and one more than scripted fails the test.
class ScriptedPlatform : public Platform {
public:
    // "box STYLE POINTER TEXT" (an error's description, the engine's or the
    // system's words, left out) with "detail TEXT" and "button CAPTION" after
    // it for its extras, "open REQUEST", "save REQUEST", "password PROMPT",
    // "pointer N", "store KEY=VALUE", "keys KEYS", "help", "folder PATH",
    // "sleep MS", "end".
    Lines log;
    std::deque<Reply> answers;  // in order: a path, a password, a button's code
    bool pressOwnButton = false;  // a box's own button answers it, where it has one
    bool folderFails = false;
    std::function<void(const std::string& entry)> onLog = [](const std::string&) {};
    std::map<std::string, std::string> store;  // "section/key"
    bool readOnlyStore = false;
    std::optional<OsVersion> osVersion;
    MemoryStatus memory;

    // The log entries of one kind, without it.
    Lines Logged(const std::string& kind) const {
        Lines entries;
        for (const std::string& entry : log) {
            if (entry.rfind(kind, 0) == 0) {
                entries.push_back(entry.substr(std::min(entry.size(), kind.size() + 1)));
            }
        }
        return entries;
    }

    // Every box carries the product's name.
    int ShowMessage(const std::string& text, int style, const std::string& title) override {
        EXPECT_EQ(title, "Vellumtide") << text;
        const std::size_t cut = text.find(" : ");
        Log("box " + std::to_string(style) + " " + std::to_string(pointer_) + " " +
            text.substr(0, cut == std::string::npos ? cut : cut + 3));
        return (style & 0x0f) == box::kOkOnly ? answer::kOk : std::stoi(Answer().value_or("2"));
    }
    int ShowMessageWith(const std::string& text, int style, const std::string& title,
                        const BoxExtras& extras) override {
        const int answer = ShowMessage(text, style, title);
        Log("detail " + extras.detail);
        Log("button " + extras.button);
        return pressOwnButton && !extras.button.empty() ? answer::kOwnButton : answer;
    }
    int MousePointer() const override { return pointer_; }
    void SetMousePointer(int shape) override { Log("pointer " + std::to_string(pointer_ = shape)); }
    std::string OpenFileDialog(const FileDialogRequest& r) override { return Dialog("open ", r); }
    std::string SaveFileDialog(const FileDialogRequest& r) override { return Dialog("save ", r); }
    std::optional<std::string> AskPassword(const std::string& prompt) override {
        Log("password " + prompt);
        return Answer();
    }
    std::string GetSetting(const std::string& section, const std::string& key) override {
        return store[section + "/" + key];
    }
    void SaveSetting(const std::string& section, const std::string& key,
                     const std::string& value) override {
        if (readOnlyStore) {
            throw ErrorException(err::kPathFileAccess, "The settings store is read-only.");
        }
        // The window's place is binary; its own test reads it from the store.
        if (key != kKeyWindowGeometry) {
            Log("store " + key + "=" + value);
        }
        store[section + "/" + key] = value;
    }
    std::string HomeFolder() override { return "/home/user"; }
    // Keystrokes are delivered as the real program does.
    void SendKeys(const std::string& keys) override {
        Log("keys " + keys);
        PostKeystrokes(keys);
    }
    void ShowHelp() override { Log("help"); }
    void OpenFolder(const std::string& folder) override {
        Log("folder " + folder);
        if (folderFails) {
            throw ErrorException(err::kPathFileAccess, "No file manager.");
        }
    }
    void Sleep(int milliseconds) override { Log("sleep " + std::to_string(milliseconds)); }
    std::optional<OsVersion> QueryOsVersion() override { return osVersion; }
    MemoryStatus QueryMemoryStatus() override { return memory; }
    void EndProgram() override { Log("end"); }

private:
    void Log(const std::string& entry) {
        log.push_back(entry);
        onLog(entry);
    }
    Reply Answer() {
        EXPECT_FALSE(answers.empty()) << "unscripted: " << log.back();
        const Reply next = answers.empty() ? Reply() : answers.front();
        if (!answers.empty()) {
            answers.pop_front();
        }
        return next;
    }
    std::string Dialog(const std::string& kind, const FileDialogRequest& r) {
        Log(kind + r.title + "|" + r.filter + "|" + std::to_string(r.filterIndex) + "|" +
            std::to_string(r.flags) + "|" + r.fileName + "|" + r.initialFolder);
        const Reply reply = Answer();
        if (!reply) {
            throw ErrorException(err::kDialogCancelled, "Cancel was selected.");
        }
        return *reply;
    }

    int pointer_ = pointer::kDefault;
};

// Customers and Orders, a system, a hidden and a linked table, one query and
// one relationship, describing C:\Data\Shop.mdb.
inline Schema SalesSchema() {
    using namespace table_attr;
    return {{"C:\\Data\\Shop.mdb"},
            {{"Customers"}, {"MSysObjects", kSystemObject}, {"Notes", kHiddenObject}, {"Orders"},
             {"Prices", kAttachedTable, ";DATABASE=C:\\Data\\Back.mdb", "Prices"}},
            {{"Current Orders", "SELECT * FROM Orders;"}},
            {{"CustomersOrders", "Customers", "Orders", 0, {{"ID", "ID"}}}}};
}
inline const Lines kSalesLines = {
    "[Table        ]Customers", "[TableHidden  ]Notes",          "[Table        ]Orders",
    "[TableAttached]Prices",    "[Query        ]Current Orders", "[Relation     ]CustomersOrders"};

// The database the engine opened, read through; a broken one fails at its
// second table.
class TrackedDatabase : public Database {
public:
    TrackedDatabase(std::unique_ptr<Database> opened, bool broken, int& closed)
        : opened_(std::move(opened)), broken_(broken), closed_(closed) {}
    ~TrackedDatabase() override { ++closed_; }

    DatabaseInfo Info() const override { return opened_->Info(); }
    std::int32_t CollatingOrder() const override { return opened_->CollatingOrder(); }
    std::size_t TableDefCount() const override { return opened_->TableDefCount(); }
    TableDef TableDefAt(std::size_t i) const override { return Table(i, &Database::TableDefAt); }
    TableDef TableHeadAt(std::size_t i) const override { return Table(i, &Database::TableHeadAt); }
    std::size_t QueryDefCount() const override { return opened_->QueryDefCount(); }
    QueryDef QueryDefAt(std::size_t i) const override { return opened_->QueryDefAt(i); }
    std::string QueryDefNameAt(std::size_t i) const override { return opened_->QueryDefNameAt(i); }
    std::size_t RelationCount() const override { return opened_->RelationCount(); }
    Relation RelationAt(std::size_t i) const override { return opened_->RelationAt(i); }
    std::vector<std::string> Notes() const override { return opened_->Notes(); }

private:
    TableDef Table(std::size_t i, TableDef (Database::*read)(std::size_t) const) const {
        if (broken_ && i == 1) {
            throw ErrorException(err::kEngineDamaged, "The object could not be read.", kEngineSource);
        }
        return ((*opened_).*read)(i);
    }
    std::unique_ptr<Database> opened_;
    bool broken_;
    int& closed_;
};

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }

    // A new window on a new platform.
    void Reset() {
        window.reset();
        platform = ScriptedPlatform();
        WindowServices services{platform};
        // Every open runs with the busy pointer and the new path already shown.
        services.openDatabase = [this](const std::string& path, const OpenOptions& options) {
            closedAtLastOpen = closedDatabases;
            EXPECT_EQ(platform.MousePointer(), pointer::kBusy);
            EXPECT_EQ(window->dbDatabaseName->text().toStdString(), path);
            if (path == Path("Locked.json") && options.password != "tide") {
                throw ErrorException(err::kEngineBadPassword, "Not a valid password.",
                                     kEngineSource);
            }
            return std::unique_ptr<Database>(std::make_unique<TrackedDatabase>(
                OpenDatabaseFile(path, options), path == Path("Broken.json"), closedDatabases));
        };
        services.openOutput = [this](const std::string& path) {
            if (failOutput) {
                throw ErrorException(err::kDiskFull, "The disk is full.");
            }
            return OpenAtomicFileOutput(path);
        };
        window = std::make_unique<frmTessel>(services);
    }

    // Shows the window and makes it the active one, as at the end of start-up.
    void Show() {
        window->show();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == window.get(); }));
    }

    std::string Path(const std::string& name) const { return folder + "/" + name; }
    std::string WriteFile(const std::string& name, const std::string& content) const {
        std::ofstream(Path(name), std::ios::binary) << content;
        return Path(name);
    }
    std::string WriteSchema(const std::string& name, const Schema& schema) const {
        return WriteFile(name, WriteSchemaJson(schema));
    }
    Lines ListLines() const {
        Lines lines;
        for (const QListWidgetItem* item : window->dbTableList->findItems("*", Qt::MatchWildcard)) {
            lines.push_back(item->text().toStdString());
        }
        return lines;
    }
    void OpenThroughDialog(const std::string& path) {
        platform.answers.push_back(path);
        window->dbOpenDB_Click();
    }

    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    ScriptedPlatform platform;
    int closedDatabases = 0, closedAtLastOpen = -1;
    bool failOutput = false;
    std::unique_ptr<frmTessel> window;
};

}  // namespace vt::ui::test
