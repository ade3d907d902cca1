#include "cli/cli_app.h"

#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>
#include <vector>

#include "cli/command.h"
#include "cli/password_input.h"
#include "vellumtide_version.h"

namespace vt {

using exit_code::kSuccess;
using exit_code::kUsage;

int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    const auto input = cli::MakeTerminalInput();
    return RunCli(argc, argv, out, err, *input);
}

int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
           cli::PasswordInput& input) {
    CLI::App app{"Writes a Visual Basic module whose DAO code re-creates a Jet database.",
                 "vellumtide-cli"};
    app.set_version_flag("--version", std::string("vellumtide-cli ") + VELLUMTIDE_VERSION);
    app.require_subcommand(1);

    std::vector<std::unique_ptr<cli::Command>> commands;
    commands.push_back(std::make_unique<cli::ListCommand>());
    commands.push_back(std::make_unique<cli::SchemaCommand>());
    commands.push_back(std::make_unique<cli::BuildCommand>());
    std::vector<CLI::App*> parsers;
    for (const auto& command : commands) {
        parsers.push_back(command->Register(app));
    }

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        out << app.help();
        return kSuccess;
    } catch (const CLI::CallForVersion& e) {
        out << e.what() << '\n';
        return kSuccess;
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == 0) {
            out << app.help();
            return kSuccess;
        }
        err << "vellumtide-cli: " << e.what() << "\nRun 'vellumtide-cli --help' for usage.\n";
        return kUsage;
    }

    for (std::size_t i = 0; i < commands.size(); ++i) {
        if (parsers[i]->parsed()) {
            cli::Session session(out, err, commands[i]->databaseOptions().quiet, input);
            return commands[i]->Execute(session);
        }
    }
    return kUsage;
}

}  // namespace vt
