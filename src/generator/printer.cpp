#include "generator/printer.h"

#include <cstring>

#include "common/error.h"
#include "common/text.h"

namespace vt {

// Appends `text` from `pos` up to the next line feed (or its end) with
// every $name$ replaced; leaves `pos` at the line feed.
void Printer::Substitute(std::string_view text, std::span<const Var> vars, std::string& out,
                         std::size_t& pos) const {
    // memchr over the line, twice, rather than a test per character.
    const auto find = [&text](char c, std::size_t from, std::size_t to) {
        const void* found = std::memchr(text.data() + from, c, to - from);
        return found == nullptr
                   ? to
                   : static_cast<std::size_t>(static_cast<const char*>(found) - text.data());
    };
    const std::size_t lineEnd = find('\n', pos, text.size());
    while (true) {
        const std::size_t special = find('$', pos, lineEnd);
        out.append(text.substr(pos, special - pos));
        if (special == lineEnd) {
            pos = lineEnd;
            return;
        }
        const std::size_t close = find('$', special + 1, lineEnd);  // a name is on one line
        if (close == lineEnd) {
            throw ErrorException(err::kInternal, "A template has an unclosed $ in: " + std::string(text));
        }
        const std::string_view name = text.substr(special + 1, close - special - 1);
        out += name.empty() ? std::string_view("$") : std::string_view(Lookup(name, vars));
        pos = close + 1;
    }
}

template <typename Write>
void Printer::AddToLine(Write&& write) {
    const bool empty = pending_.size() == lineStart_;
    if (empty) {
        pending_.append(static_cast<std::size_t>(depth_) * 4, ' ');
    }
    const std::size_t before = pending_.size();
    write(pending_);
    if (empty && pending_.size() == before) {
        pending_.resize(lineStart_);  // still empty: an empty line has no indent
    }
}

void Printer::Print(std::string_view text, std::span<const Var> vars) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        AddToLine([&](std::string& out) { Substitute(text, vars, out, pos); });
        if (pos < text.size()) {  // at a line feed
            EndLine();
            ++pos;
        }
    }
}

std::size_t Printer::Measure(std::string_view line, std::span<const Var> vars) const {
    std::string text;
    std::size_t pos = 0;
    Substitute(line, vars, text, pos);
    return codePage_.Encode(text).size() + static_cast<std::size_t>(depth_) * 4;
}

void Printer::Line(std::string_view text) {
    AddToLine([text](std::string& out) { out.append(text); });
    EndLine();
}

const std::string& Printer::Lookup(std::string_view name, std::span<const Var> vars) const {
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

// The output takes a piece this large without copying it into a buffer of
// its own; handing it each line, through a virtual call and a second
// buffer, took about a tenth of the generator's instructions.
constexpr std::size_t kPieceSize = 1 << 16;

void Printer::EndLine() {
    if (const std::string_view line = std::string_view(pending_).substr(lineStart_); !IsAscii(line)) {
        const std::string utf8(line);
        pending_.resize(lineStart_);
        codePage_.AppendEncoded(utf8, pending_);
    }
    if (const std::size_t length = pending_.size() - lineStart_; length > kMaxLineLength) {
        pending_.resize(lineStart_);
        throw ErrorException(err::kInternal, "A generated line is longer than Visual Basic allows (" +
                                                 std::to_string(length) + " characters).");
    }
    pending_ += "\r\n";
    lineStart_ = pending_.size();
    ++lines_;
    if (lineStart_ >= kPieceSize) {
        Flush();
    }
}

// The finished lines; a line being written stays until it ends.
void Printer::Flush() {
    if (lineStart_ == 0) {
        return;
    }
    const std::size_t finished = lineStart_;
    lineStart_ = 0;
    try {
        output_->Write(std::string_view(pending_).substr(0, finished));
    } catch (...) {
        pending_.erase(0, finished);
        throw;
    }
    pending_.erase(0, finished);  // keeps its room for the next piece
}

}  // namespace vt
