#include "cli/command.h"

#include <CLI/CLI.hpp>
#include <ostream>

#include "dbaccess/open.h"

namespace vt::cli {

std::unique_ptr<Database> Session::Open(const DatabaseOptions& options) {
    try {
        OpenOptions open;
        if (!options.password.empty()) {
            open.password = options.password;
        } else if (options.passwordStdin) {
            open.password = input.FirstLine().value_or("");
        }
        std::unique_ptr<Database> database;
        try {
            database = OpenDatabaseFile(options.database, open);
        } catch (const ErrorException& e) {
            // Asked for only when nothing was said about a password, and
            // only once: a wrong answer is reported like a wrong option.
            const bool ask = e.number() == err::kEngineBadPassword && !open.password &&
                             !options.passwordStdin && input.Interactive();
            if (!ask) {
                throw;
            }
            const std::optional<std::string> answer =
                input.Ask("Password for '" + options.database + "': ");
            if (!answer) {
                throw;
            }
            open.password = *answer;
            database = OpenDatabaseFile(options.database, open);
        }
        if (!options.quiet) {
            for (const std::string& note : database->Notes()) {
                err << "Note: " << note << '\n';
            }
        }
        return database;
    } catch (...) {
        ReportOpenFailure();
        return nullptr;
    }
}

void Session::ReportOpenFailure() {
    pending.Set(ErrorFromCurrentException());
    ShowError(reporter, "OpenDatabase()");
}

CLI::App* Command::Register(CLI::App& app) {
    CLI::App* command = app.add_subcommand(name_, description_);
    command->add_option("DATABASE", database_.database, "Jet/ACE database or schema file (.json)")
        ->required();
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

}  // namespace vt::cli
