#include <sys/stat.h>

#include <CLI/CLI.hpp>
#include <filesystem>
#include <optional>
#include <ostream>

#include "cli/command.h"
#include "common/codepage.h"
#include "common/path.h"
#include "dbaccess/catalogue.h"
#include "dbaccess/open.h"
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
    void DesignLeftOut(const std::vector<std::string>& notes) override { leftOut = notes; }

    std::vector<std::string> written;
    std::vector<std::string> leftOut;

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

// `-o -`: the module goes to standard output, whole or not at all, so a
// failed build leaves no half module in a pipe.
class StandardOutput : public ModuleOutput {
public:
    explicit StandardOutput(std::ostream& out) : out_(out) {}
    void Write(std::string_view bytes) override { text_.append(bytes); }
    void Commit() override {
        out_.write(text_.data(), static_cast<std::streamsize>(text_.size()));
        out_.flush();
        if (!out_) {
            throw ErrorException(err::kDeviceIo, "Cannot write the module to standard output.");
        }
    }

private:
    std::ostream& out_;
    std::string text_;
};

OutputOpener OutputFor(const std::string& module, std::ostream& out) {
    if (module != kStandardInput) {
        return OpenAtomicFileOutput;
    }
    return [&out](const std::string& path) -> std::unique_ptr<ModuleOutput> {
        if (path != kStandardInput) {
            throw ErrorException(err::kBadFileName,
                                 "The design needs more than one module; standard output takes "
                                 "one. Use -o MODULE or --output-dir DIR.");
        }
        return std::make_unique<StandardOutput>(out);
    };
}

// The module a batch build writes for `database`: named after its file,
// up to the first dot, as the window names a database.
std::string NamedAfter(const std::string& database) {
    const std::size_t slash = database.find_last_of("\\/");
    const std::string file = slash == std::string::npos ? database : database.substr(slash + 1);
    return TrimSpaces(file.substr(0, file.find('.')));
}

// --codepage: a code page number, said briefly when it is not one.
std::string CodePageNumber(const std::string& value) {
    constexpr const char* kRange = "must be a whole number from 1 to 65535";
    if (value.empty() || value.size() > 5 ||
        value.find_first_not_of("0123456789") != std::string::npos) {
        return std::string(kRange) + ", not '" + value + "'";
    }
    const int number = std::stoi(value);
    return number >= 1 && number <= 65535 ? "" : std::string(kRange) + ", not " + value;
}

}  // namespace

void BuildCommand::AddOptions(CLI::App& command) {
    CLI::Option* output =
        command.add_option("-o,--output", module_, "Module file to write (.bas); - writes stdout");
    command
        .add_option("--output-dir", outputDir_,
                    "Write one module per DATABASE in DIR, named after it")
        ->excludes(output);
    command.add_option("--comments", comments_, "Commenting level")
        ->check(CLI::IsMember({"low", "high"}));
    command.add_flag("--no-common-code", noCommonCode_,
                     "Leave out the design types and support routines");
    command.add_flag("--no-encrypt", noEncrypt_, "Create an unencrypted database");
    command.add_flag("--full-path", fullPath_, "Code the database's full path");
    command.add_flag("--full-design", fullDesign_,
                     "Also re-create stored properties, hidden tables, ODBC links and the file format");
    command.add_option("--module-path", modulePath_,
                       "Database path to code in the module, e.g. C:\\Data\\Orders.mdb");
    command.add_option("--name", name_,
                       "Module name (default: from MODULE; with -o -, the database's)");
    command.add_flag("--force", force_, "Replace an existing module");
    command.add_option("--codepage", codePage_,
                       "Write the module in this code page instead of the database's")
        ->check(CLI::Validator(CodePageNumber, "1..65535"));
}

std::string BuildCommand::Check() const {
    if (std::string wrong = Command::Check(); !wrong.empty()) {
        return wrong;
    }
    const std::vector<std::string>& databases = database_.databases;
    try {
        if (codePage_ != 0) {
            (void)CodePage::Open(codePage_);
        }
    } catch (const ErrorException& e) {
        return e.record().description;
    }
    if (module_.empty() && outputDir_.empty()) {
        return "Give -o MODULE, or --output-dir DIR.";
    }
    if (outputDir_.empty()) {
        return databases.size() == 1
                   ? ""
                   : "-o names one module; for several databases give --output-dir DIR.";
    }
    if (!name_.empty()) {
        return "--name cannot be used with --output-dir: each module is named after its database.";
    }
    std::vector<std::string> names;
    for (const std::string& database : databases) {
        if (database == kStandardInput) {
            return "Standard input (-) has no file name to name a module after; use -o MODULE.";
        }
        names.push_back(NamedAfter(database));
        if (std::count(names.begin(), names.end(), names.back()) > 1) {
            return "Two databases would both write " + names.back() + ".bas.";
        }
    }
    return {};
}

int BuildCommand::Execute(Session& session) {
    return outputDir_.empty() ? BuildOne(session, database_.databases.front(), module_)
                              : BuildAll(session);
}

// Every database in turn, whatever became of the ones before; the first
// failure's code, and each failure named at the end.
int BuildCommand::BuildAll(Session& session) {
    int result = exit_code::kSuccess;
    std::string failed;
    for (const std::string& database : database_.databases) {
        const std::string module =
            (std::filesystem::path(outputDir_) / (NamedAfter(database) + ".bas")).string();
        const int code = BuildOne(session, database, module);
        if (code != exit_code::kSuccess) {
            result = result == exit_code::kSuccess ? code : result;
            failed += "\r" + database;
        }
    }
    if (!failed.empty()) {
        session.Fail("Not built:" + failed);
    }
    return result;
}

int BuildCommand::BuildOne(Session& session, const std::string& databaseFile,
                           const std::string& module) {
    const auto database = session.Open(database_, databaseFile);
    if (!database) {
        return exit_code::kOpenFailed;
    }
    DatabaseInfo info;
    try {
        info = database->Info();
        // The notices the window shows when it opens the database; the
        // full design re-creates ODBC links.
        for (const CatalogueLine& line : ListCatalogue(*database)) {
            if (line.odbcNotice && !fullDesign_) {
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
        session.Fail(e.record().description);  // the database's own code page
        return exit_code::kOpenFailed;
    }
    if (module != kStandardInput && ExistingModule(module) && !force_) {
        session.Fail("The module already exists: " + module + "\rUse --force to replace it.");
        return exit_code::kModuleExists;
    }
    // A database from standard input names no file; the path to code must be given.
    if (info.path.empty() && modulePath_.empty()) {
        session.Fail("A database read from standard input names no file: give --module-path.");
        return exit_code::kUsage;
    }
    const std::string coded = modulePath_.empty() ? info.path : modulePath_;
    const std::optional<std::string> databaseName =
        BaseName(info.path.empty() ? coded : info.path, session.reporter);
    if (!databaseName) {
        ReportBuildOutcome(true, session.reporter);
        return exit_code::kBuildFailed;
    }
    OptionsHost host(!noCommonCode_, !noEncrypt_, fullPath_ || !modulePath_.empty(), fullDesign_);
    BuildInputs inputs{*database, coded, *databaseName, comments_ == "high", *codePage};
    inputs.moduleName = !name_.empty() || module != kStandardInput ? name_ : *databaseName;
    session.pending.Clear();
    const bool failed = BuildModuleFile(module, inputs, host, session.reporter,
                                        OutputFor(module, session.out));
    for (const std::string& note : host.leftOut) {
        session.Note(note);
    }
    ReportBuildOutcome(failed, session.reporter, host.written);
    return failed ? exit_code::kBuildFailed : exit_code::kSuccess;
}

}  // namespace vt::cli
