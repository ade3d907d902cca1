#include "generator/printer.h"

#include "common/error.h"

namespace vt {

void Printer::Print(std::string_view text, std::initializer_list<Var> vars) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t special = text.find_first_of("$\n", pos);
        line_.append(text.substr(pos, special - pos));
        if (special == std::string_view::npos) {
            return;
        }
        if (text[special] == '\n') {
            EndLine();
            pos = special + 1;
            continue;
        }
        const std::size_t close = text.find('$', special + 1);
        if (close == std::string_view::npos) {
            throw ErrorException(err::kInternal, "A template has an unclosed $ in: " + std::string(text));
        }
        const std::string_view name = text.substr(special + 1, close - special - 1);
        line_ += name.empty() ? std::string("$") : Lookup(name, vars);
        pos = close + 1;
    }
}

void Printer::Line(std::string_view text) {
    line_.append(text);
    EndLine();
}

const std::string& Printer::Lookup(std::string_view name, std::initializer_list<Var> vars) const {
    for (const Var& var : vars) {
        if (var.name == name) {
            return var.value;
        }
    }
    if (const auto found = globals_.find(name); found != globals_.end()) {
        return found->second;
    }
    throw ErrorException(err::kInternal, "A template names the unknown $" + std::string(name) + "$.");
}

void Printer::EndLine() {
    std::string bytes;
    if (!line_.empty()) {
        bytes.assign(static_cast<std::size_t>(depth_) * 4, ' ');
    }
    bytes += codePage_.Encode(line_);
    bytes += "\r\n";
    line_.clear();
    output_.Write(bytes);
}

}  // namespace vt
