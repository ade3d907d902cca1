#pragma once
// Writes the module's lines: each in the module's code page followed by
// CR LF, indented by the depth of the block being written, with $name$
// replaced by its value. Lines are handed to the output in large pieces:
// Flush() hands over the rest. Sections read as the code they write:
//
//   p.Print("Set myTable = $db$.CreateTableDef($name$)\n", {{"name", literal}});

#include <cstdint>
#include <initializer_list>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

#include "common/codepage.h"
#include "generator/module_output.h"

namespace vt {

class Printer {
public:
    // A value for $name$: a text, or a number written in plain decimal.
    struct Var {
        Var(std::string_view n, std::string_view v) : name(n), value(v) {}
        Var(std::string_view n, const std::string& v) : name(n), value(v) {}
        Var(std::string_view n, std::string&& v) : name(n), value(std::move(v)) {}
        Var(std::string_view n, const char* v) : name(n), value(v) {}
        template <typename Number, typename = std::enable_if_t<std::is_integral_v<Number>>>
        Var(std::string_view n, Number v) : name(n), value(std::to_string(v)) {}

        std::string_view name;
        std::string value;
    };

    // Visual Basic reads at most this many characters on one physical line.
    static constexpr std::size_t kMaxLineLength = 1023;

    Printer(ModuleOutput& output, const CodePage& codePage)
        : output_(&output), codePage_(codePage) {}

    // Writes `text`, a module line for each "\n" in it. "$$" is a "$".
    // Throws ErrorException when a line cannot be written, or would be
    // longer than kMaxLineLength (the sections make sure none is).
    void Print(std::string_view text, std::initializer_list<Var> vars = {}) {
        Print(text, std::span<const Var>(vars.begin(), vars.size()));
    }
    void Print(std::string_view text, std::span<const Var> vars);

    // The length `line` (one line, no "\n") would have in the module.
    std::size_t Measure(std::string_view line, std::span<const Var> vars) const;

    // Writes one line as it stands, without substitution.
    void Line(std::string_view text);

    // A value every later Print may use.
    void Set(const std::string& name, std::string value) { globals_[name] = std::move(value); }

    // Lines written after Indent() start four spaces further in, until the
    // matching Outdent().
    void Indent() { ++depth_; }
    void Outdent() { --depth_; }
    int Depth() const { return depth_; }

    // Hands the lines written so far to the output. Throws ErrorException
    // when they cannot be written (and drops them).
    void Flush();

    // Lines go to `output` from here on, counted anew; those written before
    // go to the output before.
    void Redirect(ModuleOutput& output) {
        Flush();
        output_ = &output;
        lines_ = 0;
    }
    std::uint64_t LinesWritten() const { return lines_; }

    const CodePage& codePage() const { return codePage_; }

private:
    const std::string& Lookup(std::string_view name, std::span<const Var> vars) const;
    void Substitute(std::string_view text, std::span<const Var> vars, std::string& out,
                    std::size_t& pos) const;
    // Writes into the line being written, indented once it holds anything.
    template <typename Write>
    void AddToLine(Write&& write);
    void EndLine();

    ModuleOutput* output_;
    const CodePage& codePage_;
    std::map<std::string, std::string, std::less<>> globals_;
    int depth_ = 0;
    std::uint64_t lines_ = 0;
    // Finished lines in the module's code page, not yet written, then from
    // lineStart_ on the line being written, in UTF-8 until it ends: a line
    // goes straight where it is written from, as most are ASCII.
    std::string pending_;
    std::size_t lineStart_ = 0;
};

}  // namespace vt
