#pragma once
// A subcommand of vellumtide-cli: its options, and what it does once they
// are parsed. Every command opens one DATABASE argument the same way and
// reports through the same session.

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "cli/password_input.h"
#include "cli/stream_messenger.h"
#include "common/show_error.h"
#include "dbaccess/database.h"

namespace CLI {
class App;
}

namespace vt::cli {

// The options every command takes.
struct DatabaseOptions {
    std::vector<std::string> databases;  // one, except for a batch build
    std::string password;
    bool passwordStdin = false;  // the password is the first line of standard input
    bool quiet = false;
};

// Where a command's output and messages go.
class Session {
public:
    Session(std::ostream& out, std::ostream& err, bool quiet, PasswordInput& input)
        : out(out), err(err), messenger(out, err, quiet), input(input), quiet_(quiet) {}

    // Opens the DATABASE argument and prints its notes; on failure reports
    // it as the window's Open Database command does and returns null. A
    // protected database takes its password from the options, from the
    // first line of standard input, or, when neither is given and standard
    // input is a terminal, from a prompt there. The database is the
    // session's until the next Open, which lets it go.
    const Database* Open(const DatabaseOptions& options, const std::string& database);

    // The process ends with the session: the open database is left to the
    // kernel. Freeing a large design object by object took a fifth of the
    // run.
    void LeaveToExit();

    // Reports the failure in flight as "OpenDatabase()".
    void ReportOpenFailure();
    // What the module will not re-create, unless --quiet.
    void Note(const std::string& text);
    // An information message.
    void Notice(const std::string& text) { ShowError(reporter, text); }
    // A failure of the tool's own, on standard error.
    void Fail(const std::string& text) {
        messenger.ShowMessage(text, box::kCritical, kProductName);
    }
    // Flushes standard output; false, after saying so, when it cannot be
    // written (a full disk, a closed pipe).
    bool OutputWritten();

    std::ostream& out;
    std::ostream& err;
    StreamMessenger messenger;
    PendingError pending;
    Reporter reporter{pending, messenger};
    PasswordInput& input;

private:
    bool quiet_;
    std::unique_ptr<Database> database_;
};

class Command {
public:
    Command(std::string name, std::string description)
        : name_(std::move(name)), description_(std::move(description)) {}
    virtual ~Command() = default;

    // Adds the command to `app`, and its options if `withOptions`.
    CLI::App* Register(CLI::App& app, bool withOptions);
    // After parsing: what is wrong with the options together, or empty.
    virtual std::string Check() const;
    virtual int Execute(Session& session) = 0;

    const DatabaseOptions& databaseOptions() const { return database_; }
    const std::string& name() const { return name_; }

protected:
    virtual void AddOptions(CLI::App&) {}
    // Whether DATABASE may be given more than once.
    virtual bool Batch() const { return false; }
    DatabaseOptions database_;

private:
    std::string name_;
    std::string description_;
};

class ListCommand : public Command {
public:
    ListCommand() : Command("list", "Print the tables, queries and relationships") {}
    int Execute(Session& session) override;
};

class SchemaCommand : public Command {
public:
    SchemaCommand() : Command("schema", "Print the design as a schema file (JSON)") {}
    int Execute(Session& session) override;
};

class BuildCommand : public Command {
public:
    BuildCommand() : Command("build", "Write the module") {}
    std::string Check() const override;
    int Execute(Session& session) override;

protected:
    void AddOptions(CLI::App& command) override;
    bool Batch() const override { return true; }

private:
    int BuildOne(Session& session, const std::string& database, const std::string& module);
    int BuildAll(Session& session);

    std::string module_;
    std::string outputDir_;
    std::string name_;
    std::string modulePath_;
    std::string comments_ = "low";
    bool noCommonCode_ = false;
    bool noEncrypt_ = false;
    bool fullPath_ = false;
    bool fullDesign_ = false;
    bool force_ = false;
    int codePage_ = 0;
};

}  // namespace vt::cli
