#include "generator/run.h"

#include <algorithm>

#include "common/text.h"
#include "generator/quote.h"

namespace vt {
namespace {

// Only texts at least this long are worth a variable of their own.
constexpr std::size_t kMovableText = 64;

std::string FieldKey(std::string_view table, std::string_view field) {
    return FoldCase(table) + "\n" + FoldCase(field);
}

}  // namespace

Run::Run(Printer& printer, bool highComments, bool aceTarget, std::string dbVar, RunLimits limits,
         ModuleStarter startModule)
    : p(printer),
      high(highComments),
      ace(aceTarget),
      dbVarName(std::move(dbVar)),
      createFuncName("Create" + dbVarName),
      limits_(limits),
      startModule_(std::move(startModule)) {
    p.Set("db", dbVarName);
    p.Set("func", createFuncName);
}

std::string Run::Lit(std::string_view text) const { return Literal(text, p.codePage()); }
std::string Run::Quote(std::string_view text) const { return QuoteString(text, p.codePage()); }

void Run::Statement(std::string_view line, std::initializer_list<Printer::Var> given) {
    // UTF-8 never takes fewer bytes than the module's code page.
    std::size_t upperBound = line.size() + static_cast<std::size_t>(p.Depth()) * 4;
    for (const Printer::Var& var : given) {
        upperBound += var.value.size();
    }
    if (upperBound <= Printer::kMaxLineLength) {
        p.Print(line, given);
        p.Line("");  // ends the statement's line
        return;
    }
    std::vector<Printer::Var> vars(given);
    int built = 0;
    while (p.Measure(line, vars) > Printer::kMaxLineLength) {
        const auto longest = std::max_element(vars.begin(), vars.end(), [](const auto& a, const auto& b) {
            return a.value.size() < b.value.size();
        });
        if (longest == vars.end() || longest->value.size() < kMovableText) {
            break;  // nothing left to move: the printer refuses the line
        }
        ++built;
        longest->value = BuildText(longest->value, built == 1 ? "zText" : "zText" + std::to_string(built));
    }
    p.Print(line, vars);
    p.Line("");
}

// Builds `expression` in `variable` over as many statements as it needs.
std::string Run::BuildText(const std::string& expression, const std::string& variable) {
    if (declared_.insert(variable).second) {
        p.Print("Dim $var$ as String\n", {{"var", variable}});
    }
    const std::size_t fixed = static_cast<std::size_t>(p.Depth()) * 4 + 2 * variable.size() + 8;
    const std::vector<std::string> pieces = SplitExpression(expression, Printer::kMaxLineLength - fixed);
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        p.Print(i == 0 ? "$var$ = $piece$\n" : "$var$ = $var$ & $piece$\n",
                {{"var", variable}, {"piece", pieces[i]}});
    }
    return variable;
}

void Run::ErrorCheck(const std::string& step) {
    p.Print("If Err <> 0 Then\n");
    p.Indent();
    Statement("DisplayError $report$", {{"report", Lit(createFuncName + step)}});
    p.Print("Exit Function\n");
    p.Outdent();
    p.Print("End If\n");
}

void Run::Comment(std::string_view text) {
    p.Print("' $text$\n", {{"text", CommentText(text, p.codePage())}});
}

void Run::PropertyLeftOut(const std::string& name, const std::string& reason) {
    ++propertiesLeftOut_[{name, reason}];
}

std::vector<std::string> Run::LeftOutNotes() const {
    std::vector<std::string> notes;
    for (const auto& [key, count] : propertiesLeftOut_) {
        const auto& [name, reason] = key;
        notes.push_back("Property '" + name + "' is left out of " + std::to_string(count) +
                        (count == 1 ? " object: " : " objects: ") + reason + ".");
    }
    return notes;
}

void Run::BeginCreationFunction() { procedureStart_ = p.LinesWritten(); }

void Run::Boundary(bool sectionStart) {
    if (sectionStart && p.LinesWritten() >= limits_.moduleLines) {
        ContinueInModule();
    } else if (p.LinesWritten() - procedureStart_ >= limits_.procedureLines) {
        ContinueInProcedure();
    }
}

void Run::EndCreationFunction() { CloseProcedure(); }

std::string Run::NextPartName() const { return createFuncName + "_" + std::to_string(part_ + 1); }

// The next procedure of this module takes over the design variables.
void Run::ContinueInProcedure() {
    const std::string next = NextPartName();
    p.Print("If $next$(myTable, zField, zIndex, zRelation) Then Exit Function\n", {{"next", next}});
    CloseProcedure();
    p.Print("\n");
    if (high) {
        p.Print("'\n"
                "' $next$() goes on where the procedure before it stopped:\n"
                "' Visual Basic limits the size of one procedure.\n"
                "'\n",
                {{"next", next}});
    }
    p.Print("Private Function $next$(myTable as TableDef, zField as FieldDesign, "
            "zIndex as IndexDesign, zRelation as RelationDesign) as Boolean\n",
            {{"next", next}});
    p.Indent();
    p.Print("Dim myQuery as QueryDef\n"
            "\n"
            "On Error Resume Next\n"
            "$next$ = True\n",
            {{"next", next}});
    ++part_;
    procedureStart_ = p.LinesWritten();
    declared_.clear();
}

void Run::OpenPublicFunction(const std::string& name) {
    p.Print("Public Function $name$() as Boolean\n", {{"name", name}});
    p.Indent();
    p.Print("Dim myTable as TableDef\n"
            "Dim zField as FieldDesign\n"
            "Dim zIndex as IndexDesign\n"
            "Dim zRelation as RelationDesign\n"
            "Dim myQuery as QueryDef\n"
            "\n"
            "On Error Resume Next\n"
            "$name$ = True\n"
            "zIndex.idInitialized = False\n"
            "zRelation.rdInitialized = False\n"
            "InitField zField\n"
            "InitIndex zIndex\n"
            "InitRelation zRelation\n",
            {{"name", name}});
}

// A module of its own, whose public procedure starts with fresh variables.
void Run::ContinueInModule() {
    const std::string next = NextPartName();
    p.Print("If $next$() Then Exit Function\n", {{"next", next}});
    CloseProcedure();
    startModule_(++module_);
    if (high) {
        p.Print("'\n"
                "' $next$() goes on creating the database where the module before\n"
                "' this one stopped: Visual Basic limits the size of one module.\n"
                "'\n",
                {{"next", next}});
    }
    OpenPublicFunction(next);
    ++part_;
    procedureStart_ = p.LinesWritten();
    declared_.clear();
    indexInitialised = false;
    relationInitialised = false;
}

// The first procedure closes the database once every later one has run.
void Run::CloseProcedure() {
    if (part_ == 1) {
        p.Print("$db$.Close\n"
                "$func$ = False\n");
    } else {
        p.Print("$part$ = False\n", {{"part", createFuncName + "_" + std::to_string(part_)}});
    }
    p.Outdent();
    p.Print("End Function\n");
}

void Run::TableWritten(const std::string& name, const std::vector<std::string>& leftOutFields) {
    tablesWritten_.insert(FoldCase(name));
    for (const std::string& field : leftOutFields) {
        fieldsLeftOut_.insert(FieldKey(name, field));
    }
}

void Run::TableLeftOut(const std::string& name) { tablesLeftOut_.insert(FoldCase(name)); }

bool Run::IsTableWritten(std::string_view name) const {
    return tablesWritten_.contains(FoldCase(name));
}

bool Run::IsTableLeftOut(std::string_view name) const {
    return tablesLeftOut_.contains(FoldCase(name));
}

bool Run::IsFieldLeftOut(std::string_view table, std::string_view field) const {
    return fieldsLeftOut_.contains(FieldKey(table, field));
}

}  // namespace vt
