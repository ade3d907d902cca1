#pragma once
// One run of the generator: the printer, the names and options, what the
// sections carry from one to the next, and where the creation function
// goes on in a new procedure, or a new module, so that Visual Basic
// accepts every line, procedure and module.

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "generator/printer.h"

namespace vt {

struct RunLimits {
    // Visual Basic refuses a procedure whose compiled code passes 64 KB.
    // Every line of the creation function is one short statement (a long
    // text is built over several of them), so 1,000 lines stay far below
    // that even at 40 bytes of code a line.
    std::uint64_t procedureLines = 1000;
    // A module holds at most 65,534 lines. A new module starts at the first
    // section past this bound; one section holds at most about 8,500 lines
    // (255 fields, 32 indexes, long texts), so no module passes 64,000.
    std::uint64_t moduleLines = 55000;
};

class Run {
public:
    // Begins module `number` (2, 3, …) in a file of its own: everything it
    // needs before its part of the creation function.
    using ModuleStarter = std::function<void(int number)>;

    Run(Printer& printer, bool highComments, bool ace, std::string dbVarName, RunLimits limits,
        ModuleStarter startModule);

    Printer& p;
    const bool high;  // the high commenting level
    const bool ace;   // the target is an ACE database, created through ACE's DAO
    const std::string dbVarName;
    const std::string createFuncName;
    bool fullDesign = false;  // also every property and feature DAO can set
    bool indexInitialised = false;
    bool queryCommentsWritten = false;
    bool relationInitialised = false;

    std::string Lit(std::string_view text) const;
    std::string Quote(std::string_view text) const;

    // One statement line. When it would be longer than a line may be, its
    // longest texts are built first in string variables, in pieces.
    void Statement(std::string_view line, std::initializer_list<Printer::Var> vars);
    // The check that follows every creating statement.
    void ErrorCheck(const std::string& step);
    // A comment line, at both commenting levels, for what is left out.
    void Comment(std::string_view text);
    // A stored property the module does not set, and why; counted for the
    // notes that follow the run.
    void PropertyLeftOut(const std::string& name, const std::string& reason);
    // One sentence per left-out property name and reason, with how often.
    std::vector<std::string> LeftOutNotes() const;

    // A public creation procedure's head and fresh variables; its body is
    // written one level in.
    void OpenPublicFunction(const std::string& name);
    // The creation function, after its head is written.
    void BeginCreationFunction();
    // A place where the creation function may go on in a new procedure;
    // at a section's start also in a new module.
    void Boundary(bool sectionStart);
    // The closing lines of the creation function's last procedure.
    void EndCreationFunction();

    // Tables with a section, and what of them is not created (folded names).
    void TableWritten(const std::string& name, const std::vector<std::string>& leftOutFields);
    void TableLeftOut(const std::string& name);
    bool IsTableWritten(std::string_view name) const;
    bool IsTableLeftOut(std::string_view name) const;
    bool IsFieldLeftOut(std::string_view table, std::string_view field) const;

private:
    std::string BuildText(const std::string& expression, const std::string& variable);
    void ContinueInProcedure();
    void ContinueInModule();
    void CloseProcedure();
    std::string NextPartName() const;

    RunLimits limits_;
    ModuleStarter startModule_;
    int part_ = 1;    // the creation function's procedure being written
    int module_ = 1;  // the module being written
    std::uint64_t procedureStart_ = 0;
    std::set<std::string> declared_;  // string variables of this procedure
    std::set<std::string> tablesWritten_;
    std::set<std::string> tablesLeftOut_;
    std::set<std::string> fieldsLeftOut_;  // table + "\n" + field
    std::map<std::pair<std::string, std::string>, int> propertiesLeftOut_;  // (name, reason) → objects
};

}  // namespace vt
