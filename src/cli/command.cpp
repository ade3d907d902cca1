#include "cli/command.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <ostream>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#include "cli/large_heap.h"
#include "dbaccess/open.h"

namespace vt::cli {

const Database* Session::Open(const DatabaseOptions& options, const std::string& databasePath) {
    database_.reset();
    try {
        OpenOptions open;
        if (!options.password.empty()) {
            open.password = options.password;
        } else if (options.passwordStdin) {
            open.password = input.FirstLine().value_or("");
        }
        PrepareHeapFor(databasePath);
        std::unique_ptr<Database> database;
        try {
            database = OpenDatabaseFile(databasePath, open);
        } catch (const ErrorException& e) {
            // Asked for only when nothing was said about a password, and
            // only once: a wrong answer is reported like a wrong option.
            const bool ask = e.number() == err::kEngineBadPassword && !open.password &&
                             !options.passwordStdin && input.Interactive();
            if (!ask) {
                throw;
            }
            const std::optional<std::string> answer =
                input.Ask("Password for '" + databasePath + "': ");
            if (!answer) {
                throw;
            }
            open.password = *answer;
            database = OpenDatabaseFile(databasePath, open);
        }
        for (const std::string& note : database->Notes()) {
            Note(note);
        }
        database_ = std::move(database);
        return database_.get();
    } catch (...) {
        ReportOpenFailure();
        return nullptr;
    }
}

void Session::LeaveToExit() {
    const Database* kept = database_.release();
#if defined(__SANITIZE_ADDRESS__)
    __lsan_ignore_object(kept);  // left on purpose, not leaked
#else
    (void)kept;
#endif
}

void Session::Note(const std::string& text) {
    if (!quiet_) {
        err << ToolMessage("Note: " + text);
    }
}

void Session::ReportOpenFailure() {
    pending.Set(ErrorFromCurrentException());
    ShowError(reporter, "OpenDatabase()");
}

bool Session::OutputWritten() {
    out.flush();
    if (out) {
        return true;
    }
    Fail("Cannot write to standard output.");
    return false;
}

CLI::App* Command::Register(CLI::App& app, bool withOptions) {
    CLI::App* command = app.add_subcommand(name_, description_);
    if (!withOptions) {
        return command;
    }
    command
        ->add_option("DATABASE", database_.databases,
                     "Jet/ACE database or schema file (.json); - reads standard input")
        ->required()
        ->expected(1, Batch() ? -1 : 1);
    CLI::Option* password = command->add_option(
        "--password", database_.password,
        "Password of a protected database (other users can see it; prefer --password-stdin)");
    command->add_flag("--password-stdin", database_.passwordStdin,
                      "Read the password from the first line of standard input")
        ->excludes(password);
    command->add_flag("-q,--quiet", database_.quiet, "Leave out information messages");
    AddOptions(*command);
    return command;
}

std::string Command::Check() const {
    const auto& names = database_.databases;
    const auto input = std::count(names.begin(), names.end(), kStandardInput);
    if (input > 1) {
        return "Standard input (-) can be read only once.";
    }
    if (input == 1 && database_.passwordStdin) {
        return "--password-stdin cannot be used with DATABASE -: both read standard input.";
    }
    return {};
}

}  // namespace vt::cli
