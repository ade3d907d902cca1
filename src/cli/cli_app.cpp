#include "cli/cli_app.h"

#include <sys/stat.h>

#include <CLI/CLI.hpp>
#include <ostream>

#include "common/codepage.h"
#include "common/path.h"
#include "common/show_error.h"
#include "dbaccess/catalogue.h"
#include "dbaccess/open.h"
#include "dbaccess/schema_json.h"
#include "generator/build_module.h"
#include "vellumtide_version.h"

namespace vt {
namespace {

// Message boxes become plain text on standard error: one message per line
// group, the box's carriage return starting a new line.
class StreamMessenger : public Messenger {
public:
    StreamMessenger(std::ostream& out, std::ostream& err, bool quiet)
        : out_(out), err_(err), quiet_(quiet) {}

    int ShowMessage(const std::string& text, int style, const std::string&) override {
        if (quiet_ && style == box::kInformation) {
            return answer::kOk;
        }
        out_.flush();  // keep the order of listing lines and notices
        std::string line = text;
        for (char& c : line) {
            if (c == '\r') {
                c = '\n';
            }
        }
        err_ << line << '\n';
        err_.flush();
        return answer::kOk;
    }
    int MousePointer() const override { return pointer_; }
    void SetMousePointer(int shape) override { pointer_ = shape; }

private:
    std::ostream& out_;
    std::ostream& err_;
    bool quiet_;
    int pointer_ = pointer::kDefault;
};

// The build options that the window keeps in its check boxes.
class OptionsHost : public GeneratorHost {
public:
    bool commonCode = true;
    bool encrypt = true;
    bool fullPath = false;

    bool AddCommonCode() const override { return commonCode; }
    bool EncryptDatabase() const override { return encrypt; }
    bool CodeFullPath() const override { return fullPath; }
    void ModuleBuilt() override {}
};

struct CommonOptions {
    std::string database;
    std::string password;
    bool quiet = false;
};

struct BuildOptions {
    std::string module;
    std::string comments = "low";
    bool noCommonCode = false;
    bool noEncrypt = false;
    bool fullPath = false;
    bool force = false;
    int codePage = 0;
};

class Tool {
public:
    Tool(std::ostream& out, std::ostream& err, bool quiet)
        : out_(out), err_(err), messenger_(out, err, quiet) {}

    // Opens the DATABASE argument; reports a failure as the window's Open
    // Database command does.
    std::unique_ptr<Database> Open(const CommonOptions& options) {
        try {
            OpenOptions open;
            if (!options.password.empty()) {
                open.password = options.password;
            }
            auto database = OpenDatabaseFile(options.database, open);
            if (!options.quiet) {
                for (const std::string& note : database->Notes()) {
                    err_ << "Note: " << note << '\n';
                }
            }
            return database;
        } catch (...) {
            ReportOpenFailure();
            return nullptr;
        }
    }

    void ReportOpenFailure() {
        pending_.Set(ErrorFromCurrentException());
        ShowError(reporter_, "OpenDatabase()");
    }

    void Notice(const std::string& text) { ShowError(reporter_, text); }

    int List(const CommonOptions& options) {
        const auto database = Open(options);
        if (!database) {
            return exit_code::kOpenFailed;
        }
        try {
            for (const CatalogueLine& line : ListCatalogue(*database)) {
                if (line.odbcNotice) {
                    Notice(kOdbcNotice);
                }
                out_ << line.text << '\n';
            }
        } catch (...) {
            ReportOpenFailure();
            return exit_code::kOpenFailed;
        }
        out_.flush();
        return exit_code::kSuccess;
    }

    int Schema(const CommonOptions& options) {
        const auto database = Open(options);
        if (!database) {
            return exit_code::kOpenFailed;
        }
        try {
            out_ << WriteSchemaJson(SnapshotSchema(*database));
        } catch (...) {
            ReportOpenFailure();
            return exit_code::kOpenFailed;
        }
        out_.flush();
        return exit_code::kSuccess;
    }

    int Build(const CommonOptions& options, const BuildOptions& build) {
        const auto database = Open(options);
        if (!database) {
            return exit_code::kOpenFailed;
        }
        DatabaseInfo info;
        try {
            info = database->Info();
            // The notices the window shows when it opens the database.
            for (const CatalogueLine& line : ListCatalogue(*database)) {
                if (line.odbcNotice) {
                    Notice(kOdbcNotice);
                }
            }
        } catch (...) {
            ReportOpenFailure();
            return exit_code::kOpenFailed;
        }

        std::optional<CodePage> codePage;
        try {
            codePage = CodePage::Open(build.codePage != 0 ? build.codePage : info.codePage);
        } catch (const ErrorException& e) {
            err_ << e.record().description << '\n';
            return build.codePage != 0 ? exit_code::kUsage : exit_code::kOpenFailed;
        }

        if (ExistingModule(build.module) && !build.force) {
            messenger_.ShowMessage("The module already exists: " + build.module +
                                       "\rUse --force to replace it.",
                                   box::kCritical, kProductName);
            return exit_code::kModuleExists;
        }

        OptionsHost host;
        host.commonCode = !build.noCommonCode;
        host.encrypt = !build.noEncrypt;
        host.fullPath = build.fullPath;
        const BuildInputs inputs{*database, info.path, BaseName(info.path, reporter_),
                                 build.comments == "high", *codePage};
        pending_.Clear();
        const bool failed = BuildModuleFile(build.module, inputs, host, reporter_);
        ReportBuildOutcome(failed, reporter_);
        return failed ? exit_code::kBuildFailed : exit_code::kSuccess;
    }

private:
    // A regular file that a build would replace. Folders are left to the
    // build to refuse; devices and pipes are streams, not modules.
    static bool ExistingModule(const std::string& path) {
        struct stat info {};
        return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
    }

    std::ostream& out_;
    std::ostream& err_;
    StreamMessenger messenger_;
    PendingError pending_;
    Reporter reporter_{pending_, messenger_};
};

void AddCommonOptions(CLI::App& command, CommonOptions& options) {
    command.add_option("DATABASE", options.database, "Jet/ACE database or schema file (.json)")
        ->required();
    command.add_option("--password", options.password, "Password of a protected database");
    command.add_flag("-q,--quiet", options.quiet, "Leave out information messages");
}

}  // namespace

int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    CLI::App app{"Writes a Visual Basic module whose DAO code re-creates a Jet database.",
                 "vellumtide-cli"};
    app.set_version_flag("--version", std::string("vellumtide-cli ") + VELLUMTIDE_VERSION);
    app.require_subcommand(1);

    CommonOptions common;
    BuildOptions build;

    CLI::App* list = app.add_subcommand("list", "Print the tables, queries and relationships");
    AddCommonOptions(*list, common);
    CLI::App* schema = app.add_subcommand("schema", "Print the design as a schema file (JSON)");
    AddCommonOptions(*schema, common);
    CLI::App* buildCommand = app.add_subcommand("build", "Write the module");
    AddCommonOptions(*buildCommand, common);
    buildCommand->add_option("-o,--output", build.module, "Module file to write (.bas)")
        ->required();
    buildCommand->add_option("--comments", build.comments, "Commenting level")
        ->check(CLI::IsMember({"low", "high"}));
    buildCommand->add_flag("--no-common-code", build.noCommonCode,
                           "Leave out the design types and support routines");
    buildCommand->add_flag("--no-encrypt", build.noEncrypt, "Create an unencrypted database");
    buildCommand->add_flag("--full-path", build.fullPath, "Code the database's full path");
    buildCommand->add_flag("--force", build.force, "Replace an existing module");
    buildCommand->add_option("--codepage", build.codePage,
                             "Write the module in this code page instead of the database's")
        ->check(CLI::PositiveNumber);

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        out << app.help();
        return exit_code::kSuccess;
    } catch (const CLI::CallForVersion& e) {
        out << e.what() << '\n';
        return exit_code::kSuccess;
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == 0) {
            out << app.help();
            return exit_code::kSuccess;
        }
        err << "vellumtide-cli: " << e.what() << "\nRun 'vellumtide-cli --help' for usage.\n";
        return exit_code::kUsage;
    }

    Tool tool(out, err, common.quiet);
    if (list->parsed()) {
        return tool.List(common);
    }
    if (schema->parsed()) {
        return tool.Schema(common);
    }
    return tool.Build(common, build);
}

}  // namespace vt
