#pragma once
// BuildModuleFile: writes the Visual Basic module that re-creates the open
// database through DAO.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/codepage.h"
#include "common/show_error.h"
#include "dbaccess/database.h"
#include "generator/module_output.h"
#include "generator/run.h"

namespace vt {

// The window's side of a run: the three check boxes, read at the step that
// uses each, and the base-name box put back to "DBCreate" after success.
class GeneratorHost {
public:
    virtual ~GeneratorHost() = default;
    virtual bool AddCommonCode() const = 0;      // "Add Common Code"
    virtual bool EncryptDatabase() const = 0;    // "Encrypted Database"
    virtual bool CodeFullPath() const = 0;       // "Code Full DB Path"
    virtual bool CopyFullDesign() const { return false; }  // "Copy Full Design"
    virtual void ModuleBuilt() = 0;              // dbFormName = "DBCreate", repaint, focus
    // The module files a successful run wrote, the chosen path first; more
    // than one when the design was too large for one module.
    virtual void FilesWritten(const std::vector<std::string>& /*paths*/) {}
    // What a successful run could not re-create beyond the reader's notes,
    // one sentence each: the stored properties the full design leaves out.
    virtual void DesignLeftOut(const std::vector<std::string>& /*notes*/) {}
};

struct BuildInputs {
    const Database& database;
    std::string databasePath;  // gDatabasePath
    std::string databaseName;  // gDatabaseName
    bool highComments = false; // gHighComments
    const CodePage& codePage;  // the module's code page
    RunLimits limits{};        // where procedures and modules are split
    std::string moduleName{};  // empty: the module path's base name names it
};

// Writes the module to `modulePath`. Returns false when the whole module was
// written; true when the run stopped on an error, after reporting it as
// "BuildModuleFile()". The target is replaced only by a complete module.
bool BuildModuleFile(const std::string& modulePath, const BuildInputs& inputs,
                     GeneratorHost& host, Reporter& reporter,
                     const OutputOpener& open = OpenAtomicFileOutput);

// How the box of a complete build tells what it wrote.
struct OutcomeBox {
    bool nameOneModule = false;  // name a single module too, not only several
    std::string button;          // a button of the box's own once a module is written
};

// The text under "Build Module complete." that names the modules written:
// always when the design needed more than one, the one only with `nameOne`.
std::string WrittenModulesText(const std::vector<std::string>& written, bool nameOne);

// Reports the outcome of a build command run: "Build Module completed with
// errors!" when `failed`, the pending error as "BuildModule()" when one is
// left, else "Build Module complete." with the modules under it as `box`
// asks. Returns the answer of the box.
int ReportBuildOutcome(bool failed, Reporter& reporter,
                       const std::vector<std::string>& written = {}, const OutcomeBox& box = {});

}  // namespace vt
