#pragma once
// A main window on the scripted platform, with schema files in a temporary
// folder and an engine that can be told to guard a file with a password.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QRadioButton>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>

#include <fstream>
#include <memory>
#include <set>
#include <string>

#include "dbaccess/open.h"
#include "dbaccess/schema_json.h"
#include "qt_environment.h"
#include "scripted_platform.h"
#include "ui/main_window.h"

namespace vt::ui::test {

inline TableDef Table(const std::string& name, std::int32_t attributes = 0) {
    TableDef table;
    table.name = name;
    table.attributes = attributes;
    FieldDef id;
    id.name = "ID";
    id.type = DaoType::kLong;
    id.size = 4;
    id.attributes = 17;
    table.fields.push_back(id);
    FieldDef text;
    text.name = "Name";
    text.type = DaoType::kText;
    text.size = 50;
    text.attributes = 2;
    text.ordinalPosition = 1;
    table.fields.push_back(text);
    IndexDef key;
    key.name = "PrimaryKey";
    key.primary = key.unique = key.required = true;
    key.fields = {"ID"};
    table.indexes.push_back(key);
    if ((attributes & (table_attr::kAttachedTable | table_attr::kAttachedOdbc)) != 0) {
        table.connect = ";DATABASE=C:\\Data\\Back.mdb";
        table.sourceTableName = name;
    }
    return table;
}

// Customers and Orders, a hidden, a linked and a system table, one query
// and one relationship.
inline Schema SalesSchema() {
    Schema schema;
    schema.info.path = "C:\\Data\\Sales.mdb";
    schema.info.engine = "Jet4";
    schema.tableDefs = {Table("Customers"), Table("MSysObjects", table_attr::kSystemObject),
                        Table("Notes", table_attr::kHiddenObject),
                        Table("Orders"), Table("Prices", table_attr::kAttachedTable)};
    schema.queryDefs = {{"Current Orders", "SELECT * FROM Orders;\r\n"}};
    Relation relation;
    relation.name = "CustomersOrders";
    relation.table = "Customers";
    relation.foreignTable = "Orders";
    relation.fields = {{"ID", "ID"}};
    schema.relations = {relation};
    return schema;
}

// Counts the databases the window lets go of.
class TrackedDatabase : public Database {
public:
    TrackedDatabase(std::unique_ptr<Database> inner, int& closed, int failAtTable = -1)
        : inner_(std::move(inner)), closed_(closed), failAtTable_(failAtTable) {}
    ~TrackedDatabase() override { ++closed_; }
    DatabaseInfo Info() const override { return inner_->Info(); }
    std::size_t TableDefCount() const override { return inner_->TableDefCount(); }
    TableDef TableDefAt(std::size_t i) const override {
        if (static_cast<int>(i) == failAtTable_) {
            throw ErrorException(err::kEngineDamaged, "The database is damaged.", kEngineSource);
        }
        return inner_->TableDefAt(i);
    }
    std::size_t QueryDefCount() const override { return inner_->QueryDefCount(); }
    QueryDef QueryDefAt(std::size_t i) const override { return inner_->QueryDefAt(i); }
    std::size_t RelationCount() const override { return inner_->RelationCount(); }
    Relation RelationAt(std::size_t i) const override { return inner_->RelationAt(i); }

private:
    std::unique_ptr<Database> inner_;
    int& closed_;
    int failAtTable_;
};

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        App();
        ASSERT_TRUE(dir_.isValid());
        folder = dir_.path().toStdString();
        MakeWindow();
    }

    void TearDown() override {
        window.reset();
        QCoreApplication::processEvents();
    }

    void MakeWindow() {
        WindowServices services{platform};
        services.openDatabase = [this](const std::string& path, const OpenOptions& options) {
            ++opens;
            if (protectedFiles.count(path) != 0 &&
                (!options.password || *options.password != "tide")) {
                throw ErrorException(err::kEngineBadPassword, "Not a valid password.",
                                     kEngineSource);
            }
            return std::unique_ptr<Database>(std::make_unique<TrackedDatabase>(
                OpenDatabaseFile(path, options), closedDatabases, failAtTable));
        };
        services.openOutput = [this](const std::string& path) -> std::unique_ptr<ModuleOutput> {
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
        window->activateWindow();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(WaitFor([&] { return QApplication::activeWindow() == window.get(); }));
    }

    std::string Path(const std::string& name) const { return folder + "/" + name; }

    std::string WriteSchema(const std::string& name, const Schema& schema) const {
        const std::string path = Path(name);
        std::ofstream(path, std::ios::binary) << WriteSchemaJson(schema);
        return path;
    }

    std::string WriteFile(const std::string& name, const std::string& content) const {
        const std::string path = Path(name);
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }

    static std::string ReadFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::vector<std::string> ListLines() const {
        std::vector<std::string> lines;
        for (int i = 0; i < window->dbTableList->count(); ++i) {
            lines.push_back(window->dbTableList->item(i)->text().toStdString());
        }
        return lines;
    }

    // Opens `path` through the dialog; the messages of the open are kept.
    void OpenThroughDialog(const std::string& path) {
        platform.openAnswers.push_back(path);
        window->dbOpenDB_Click();
    }

    std::vector<std::string> MessageTexts() const {
        std::vector<std::string> texts;
        for (const auto& m : platform.messages) {
            texts.push_back(m.text);
        }
        return texts;
    }

    ScriptedPlatform platform;
    std::string folder;
    std::set<std::string> protectedFiles;
    int opens = 0;
    int closedDatabases = 0;
    int failAtTable = -1;
    bool failOutput = false;
    std::unique_ptr<frmTessel> window;

private:
    QTemporaryDir dir_;
};

}  // namespace vt::ui::test
