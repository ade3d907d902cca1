#include <sys/stat.h>

#include <CLI/CLI.hpp>
#include <optional>
#include <ostream>

#include "cli/command.h"
#include "common/codepage.h"
#include "common/path.h"
#include "dbaccess/catalogue.h"
#include "generator/build_module.h"

namespace vt::cli {
namespace {

// The build options that the window keeps in its check boxes.
class OptionsHost : public GeneratorHost {
public:
    OptionsHost(bool commonCode, bool encrypt, bool fullPath, bool fullDesign)
        : commonCode_(commonCode), encrypt_(encrypt), fullPath_(fullPath), fullDesign_(fullDesign) {}

    bool AddCommonCode() const override { return commonCode_; }
    bool EncryptDatabase() const override { return encrypt_; }
    bool CodeFullPath() const override { return fullPath_; }
    bool CopyFullDesign() const override { return fullDesign_; }
    void ModuleBuilt() override {}
    void FilesWritten(const std::vector<std::string>& paths) override { written = paths; }

    std::vector<std::string> written;

private:
    bool commonCode_;
    bool encrypt_;
    bool fullPath_;
    bool fullDesign_;
};

// A regular file that a build would replace. Folders are left to the build
// to refuse; devices and pipes are streams, not modules.
bool ExistingModule(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

void BuildCommand::AddOptions(CLI::App& command) {
    command.add_option("-o,--output", module_, "Module file to write (.bas)")->required();
    command.add_option("--comments", comments_, "Commenting level")
        ->check(CLI::IsMember({"low", "high"}));
    command.add_flag("--no-common-code", noCommonCode_,
                     "Leave out the design types and support routines");
    command.add_flag("--no-encrypt", noEncrypt_, "Create an unencrypted database");
    command.add_flag("--full-path", fullPath_, "Code the database's full path");
    command.add_flag("--full-design", fullDesign_,
                     "Also re-create stored properties, hidden tables, ODBC links and the file format");
    command.add_flag("--force", force_, "Replace an existing module");
    command.add_option("--codepage", codePage_,
                       "Write the module in this code page instead of the database's")
        ->check(CLI::PositiveNumber);
}

int BuildCommand::Execute(Session& session) {
    const auto database = session.Open(database_);
    if (!database) {
        return exit_code::kOpenFailed;
    }
    DatabaseInfo info;
    try {
        info = database->Info();
        // The notices the window shows when it opens the database.
        for (const CatalogueLine& line : ListCatalogue(*database)) {
            if (line.odbcNotice) {
                session.Notice(kOdbcNotice);
            }
        }
    } catch (...) {
        session.ReportOpenFailure();
        return exit_code::kOpenFailed;
    }

    std::optional<CodePage> codePage;
    try {
        codePage = CodePage::Open(codePage_ != 0 ? codePage_ : info.codePage);
    } catch (const ErrorException& e) {
        session.err << e.record().description << '\n';
        return codePage_ != 0 ? exit_code::kUsage : exit_code::kOpenFailed;
    }

    if (ExistingModule(module_) && !force_) {
        session.messenger.ShowMessage(
            "The module already exists: " + module_ + "\rUse --force to replace it.",
            box::kCritical, kProductName);
        return exit_code::kModuleExists;
    }

    const std::optional<std::string> databaseName = BaseName(info.path, session.reporter);
    if (!databaseName) {
        ReportBuildOutcome(true, session.reporter);
        return exit_code::kBuildFailed;
    }
    OptionsHost host(!noCommonCode_, !noEncrypt_, fullPath_, fullDesign_);
    const BuildInputs inputs{*database, info.path, *databaseName, comments_ == "high", *codePage};
    session.pending.Clear();
    const bool failed = BuildModuleFile(module_, inputs, host, session.reporter);
    ReportBuildOutcome(failed, session.reporter, host.written);
    return failed ? exit_code::kBuildFailed : exit_code::kSuccess;
}

}  // namespace vt::cli
