#pragma once
// Test doubles shared by the suites: a messenger that records every box,
// module outputs in memory, and a database that fails on request.

#include <algorithm>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/codepage.h"
#include "common/error.h"
#include "common/messenger.h"
#include "common/path.h"
#include "dbaccess/database.h"
#include "generator/build_module.h"
#include "generator/module_output.h"

namespace vt::test {

struct ShownMessage {
    std::string text;
    int style = 0;
    std::string title;
    int pointerWhileShown = -1;
};

class RecordingMessenger : public Messenger {
public:
    std::vector<ShownMessage> shown;
    int pointer = pointer::kDefault;
    int nextAnswer = answer::kOk;

    int ShowMessage(const std::string& text, int style, const std::string& title) override {
        shown.push_back({text, style, title, pointer});
        return nextAnswer;
    }
    int MousePointer() const override { return pointer; }
    void SetMousePointer(int shape) override { pointer = shape; }
};

// Collects a module in memory; `failAfterBytes` makes a write fail there,
// as a full disk does: the bytes that fit are written.
class MemoryOutput : public ModuleOutput {
public:
    MemoryOutput(std::string& sink, bool& committed, std::size_t failAfterBytes)
        : sink_(sink), committed_(committed), failAfter_(failAfterBytes) {}

    void Write(std::string_view bytes) override {
        if (sink_.size() + bytes.size() > failAfter_) {
            sink_.append(bytes.substr(0, failAfter_ - std::min(failAfter_, sink_.size())));
            throw ErrorException(err::kDiskFull, "The disk is full.");
        }
        sink_.append(bytes);
    }
    void Commit() override { committed_ = true; }

private:
    std::string& sink_;
    bool& committed_;
    std::size_t failAfter_;
};

// Module files in memory, by path; `bytes` is the first one.
struct MemoryTarget {
    std::string bytes;
    bool committed = false;
    std::size_t failAfterBytes = static_cast<std::size_t>(-1);
    std::vector<std::string> openedPaths;
    std::map<std::string, std::string> more;  // the second module on

    OutputOpener Opener() {
        return [this](const std::string& path) {
            openedPaths.push_back(path);
            std::string& sink = openedPaths.size() == 1 ? bytes : more[path];
            return std::make_unique<MemoryOutput>(sink, committed, failAfterBytes);
        };
    }
};

class FixedHost : public GeneratorHost {
public:
    bool commonCode = true;
    bool encrypt = true;
    bool fullPath = false;
    bool fullDesign = false;
    int builtCalls = 0;

    bool AddCommonCode() const override { return commonCode; }
    bool EncryptDatabase() const override { return encrypt; }
    bool CodeFullPath() const override { return fullPath; }
    bool CopyFullDesign() const override { return fullDesign; }
    void ModuleBuilt() override { ++builtCalls; }
    void FilesWritten(const std::vector<std::string>& paths) override { written = paths; }
    void DesignLeftOut(const std::vector<std::string>& notes) override { leftOut = notes; }
    std::vector<std::string> written;
    std::vector<std::string> leftOut;
};

// Serves a schema, and fails the read of one chosen object.
class FaultyDatabase : public SchemaDatabase {
public:
    enum class Object { kNone, kCollatingOrder, kTable, kQuery, kRelation };

    FaultyDatabase(Schema schema, Object failing, std::size_t index = 0)
        : SchemaDatabase(std::move(schema)), failing_(failing), index_(index) {}

    std::int32_t CollatingOrder() const override {
        FailIf(Object::kCollatingOrder, 0);
        return SchemaDatabase::CollatingOrder();
    }
    TableDef TableDefAt(std::size_t i) const override {
        FailIf(Object::kTable, i);
        return SchemaDatabase::TableDefAt(i);
    }
    QueryDef QueryDefAt(std::size_t i) const override {
        FailIf(Object::kQuery, i);
        return SchemaDatabase::QueryDefAt(i);
    }
    Relation RelationAt(std::size_t i) const override {
        FailIf(Object::kRelation, i);
        return SchemaDatabase::RelationAt(i);
    }

private:
    void FailIf(Object object, std::size_t i) const {
        if (object == failing_ && i == index_) {
            throw ErrorException(err::kEngineDamaged, "The object could not be read.",
                                 kEngineSource);
        }
    }
    Object failing_;
    std::size_t index_;
};

// One run of the generator into memory, with the window's options.
struct BuildOptions {
    bool high = false;
    bool commonCode = true;
    bool encrypt = true;
    bool fullPath = false;
    bool fullDesign = false;
    std::string modulePath = "C:\\Work\\Orders.bas";
    std::size_t failAfterBytes = static_cast<std::size_t>(-1);
    RunLimits limits{};
};

struct BuildResult {
    bool failed = false;
    std::string bytes;                        // the first module
    std::map<std::string, std::string> more;  // further modules, by path
    std::vector<std::string> written;         // as the host was told
    std::vector<std::string> leftOut;         // the notes the host was given
    bool committed = false;
    std::vector<ShownMessage> messages;
    int builtCalls = 0;
};

inline BuildResult BuildToMemory(const Database& db, const BuildOptions& o = {}) {
    const DatabaseInfo info = db.Info();
    const CodePage cp = CodePage::Open(info.codePage);
    RecordingMessenger messenger;
    PendingError pending;
    Reporter reporter{pending, messenger};
    FixedHost host;
    host.commonCode = o.commonCode;
    host.encrypt = o.encrypt;
    host.fullPath = o.fullPath;
    host.fullDesign = o.fullDesign;
    MemoryTarget target;
    target.failAfterBytes = o.failAfterBytes;
    const BuildInputs inputs{db, info.path, BaseName(info.path, reporter).value_or(""), o.high, cp, o.limits};
    BuildResult result;
    result.failed = BuildModuleFile(o.modulePath, inputs, host, reporter, target.Opener());
    result.bytes = target.bytes;
    result.more = target.more;
    result.written = host.written;
    result.leftOut = host.leftOut;
    result.committed = target.committed;
    result.messages = messenger.shown;
    result.builtCalls = host.builtCalls;
    return result;
}

// Splits module bytes into lines at CR LF; fails the test on a bare LF or CR.
inline std::vector<std::string> SplitLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const auto end = bytes.find("\r\n", start);
        if (end == std::string::npos) {
            throw std::runtime_error("module does not end in CR LF");
        }
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

}  // namespace vt::test
