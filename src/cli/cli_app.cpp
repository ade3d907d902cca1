#include "cli/cli_app.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <memory>
#include <ostream>
#include <vector>

#include "cli/command.h"
#include "cli/password_input.h"
#include "cli/stream_messenger.h"
#include "vellumtide_version.h"

namespace vt {
namespace {

using exit_code::kSuccess;
using exit_code::kUsage;

// The number of single-character edits that turn `a` into `b`.
std::size_t EditDistance(const std::string& a, const std::string& b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) {
        row[j] = j;
    }
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
        }
    }
    return row[b.size()];
}

class Tool {
public:
    // Only the commands the arguments name get their options: setting up
    // every option of every command was a third of a short run's start.
    Tool(std::ostream& out, std::ostream& err, cli::PasswordInput& input, int argc,
         const char* const* argv)
        : out_(out), err_(err), input_(input) {
        app_.set_version_flag("--version", std::string("vellumtide-cli ") + VELLUMTIDE_VERSION);
        app_.require_subcommand(1);
        commands_.push_back(std::make_unique<cli::ListCommand>());
        commands_.push_back(std::make_unique<cli::SchemaCommand>());
        commands_.push_back(std::make_unique<cli::BuildCommand>());
        for (const auto& command : commands_) {
            const bool named = std::any_of(argv + std::min(argc, 1), argv + argc,
                                           [&](const char* arg) { return command->name() == arg; });
            parsers_.push_back(command->Register(app_, named));
        }
        help_ = app_.add_subcommand("help", "Show the help of the tool or of COMMAND");
        help_->add_option("COMMAND", helpTopic_, "A command");
    }

    int Run(int argc, const char* const* argv, Teardown teardown);

private:
    int Usage(const std::string& message, const std::string& command);
    int Help();
    // The tool's own help, even once a command has been parsed.
    std::string MainHelp() {
        return app_.get_formatter()->make_help(&app_, "vellumtide-cli", CLI::AppFormatMode::Normal);
    }
    CLI::App* Find(const std::string& name);
    // The first argument that names a command, for pointing to its help.
    std::string CommandIn(int argc, const char* const* argv);

    CLI::App app_{"Writes a Visual Basic module whose DAO code re-creates a Jet database.",
                  "vellumtide-cli"};
    std::ostream& out_;
    std::ostream& err_;
    cli::PasswordInput& input_;
    std::vector<std::unique_ptr<cli::Command>> commands_;
    std::vector<CLI::App*> parsers_;
    CLI::App* help_ = nullptr;
    std::string helpTopic_;
};

CLI::App* Tool::Find(const std::string& name) {
    for (CLI::App* parser : parsers_) {
        if (parser->get_name() == name) {
            return parser;
        }
    }
    return name == "help" ? help_ : nullptr;
}

std::string Tool::CommandIn(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        if (Find(argv[i]) != nullptr) {
            return argv[i];
        }
    }
    return {};
}

int Tool::Usage(const std::string& message, const std::string& command) {
    cli::StreamMessenger messenger(out_, err_, false);
    const std::string help = command.empty() || command == "help"
                                 ? "vellumtide-cli --help"
                                 : "vellumtide-cli help " + command;
    messenger.ShowMessage(message + "\rRun '" + help + "' for usage.", box::kCritical,
                          kProductName);
    return kUsage;
}

// An unknown name, and the command nearest to it when one is near enough
// to be a slip.
int UnknownCommand(const std::string& name, const std::vector<CLI::App*>& parsers,
                   const std::function<int(const std::string&)>& usage) {
    std::string nearest;
    std::size_t best = 3;
    for (const CLI::App* parser : parsers) {
        if (const std::size_t d = EditDistance(name, parser->get_name()); d < best) {
            best = d;
            nearest = parser->get_name();
        }
    }
    return usage("'" + name + "' is not a command." +
                 (nearest.empty() ? "" : " Did you mean '" + nearest + "'?"));
}

int Tool::Help() {
    if (helpTopic_.empty()) {
        out_ << MainHelp();
        return kSuccess;
    }
    if (CLI::App* command = Find(helpTopic_)) {
        out_ << command->help();
        return kSuccess;
    }
    std::vector<CLI::App*> all = parsers_;
    all.push_back(help_);
    return UnknownCommand(helpTopic_, all, [this](const std::string& m) { return Usage(m, ""); });
}

int Tool::Run(int argc, const char* const* argv, Teardown teardown) {
    if (argc > 1 && argv[1][0] != '-' && Find(argv[1]) == nullptr) {
        std::vector<CLI::App*> all = parsers_;
        all.push_back(help_);
        return UnknownCommand(argv[1], all, [this](const std::string& m) { return Usage(m, ""); });
    }
    try {
        app_.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        const std::string command = CommandIn(argc, argv);
        out_ << (command.empty() ? MainHelp() : Find(command)->help());
        return kSuccess;
    } catch (const CLI::CallForVersion& e) {
        out_ << e.what() << '\n';
        return kSuccess;
    } catch (const CLI::ParseError& e) {
        return Usage(e.what(), CommandIn(argc, argv));
    }
    if (help_->parsed()) {
        return Help();
    }
    for (std::size_t i = 0; i < commands_.size(); ++i) {
        if (parsers_[i]->parsed()) {
            if (const std::string wrong = commands_[i]->Check(); !wrong.empty()) {
                return Usage(wrong, parsers_[i]->get_name());
            }
            cli::Session session(out_, err_, commands_[i]->databaseOptions().quiet, input_);
            const int code = commands_[i]->Execute(session);
            if (teardown == Teardown::kLeaveToExit) {
                session.LeaveToExit();
            }
            return code;
        }
    }
    return kUsage;
}

}  // namespace

int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
           Teardown teardown) {
    const auto input = cli::MakeTerminalInput();
    return RunCli(argc, argv, out, err, *input, teardown);
}

int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
           cli::PasswordInput& input, Teardown teardown) {
    Tool tool(out, err, input, argc, argv);
    return tool.Run(argc, argv, teardown);
}

}  // namespace vt
