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
        }
        auto database = OpenDatabaseFile(options.database, open);
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
    command->add_option("--password", database_.password, "Password of a protected database");
    command->add_flag("-q,--quiet", database_.quiet, "Leave out information messages");
    AddOptions(*command);
    return command;
}

}  // namespace vt::cli
