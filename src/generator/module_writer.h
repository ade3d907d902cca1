#pragma once
// Writes the module line by line: each line in the module's code page,
// followed by CR LF.

#include <cstdint>
#include <string_view>

#include "common/codepage.h"
#include "generator/module_output.h"

namespace vt {

class ModuleWriter {
public:
    ModuleWriter(ModuleOutput& output, const CodePage& codePage)
        : output_(output), codePage_(codePage) {}

    void Line(std::string_view utf8);
    const CodePage& codePage() const { return codePage_; }
    std::uint64_t LinesWritten() const { return lines_; }

private:
    ModuleOutput& output_;
    const CodePage& codePage_;
    std::uint64_t lines_ = 0;
};

}  // namespace vt
