#include "dbaccess/json_writer.h"

#include <charconv>
#include <nlohmann/json.hpp>

namespace vt {
namespace {

constexpr std::size_t kFlushAt = 64 * 1024;

// Text that JSON takes between quotation marks as it stands.
bool NeedsNoEscape(std::string_view text) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x80 || c == '"' || c == '\\') {
            return false;
        }
    }
    return true;
}

}  // namespace

void JsonWriter::Key(std::string_view name) {
    BeforeValue();
    buffer_ += '"';
    buffer_ += name;  // a member name of the format's own: nothing to escape
    buffer_ += "\": ";
    afterKey_ = true;
}

void JsonWriter::String(std::string_view text) {
    BeforeValue();
    Quoted(text);
}

void JsonWriter::Quoted(std::string_view text) {
    if (NeedsNoEscape(text)) {
        buffer_ += '"';
        buffer_ += text;
        buffer_ += '"';
    } else {
        // Escapes, and refuses text that is not UTF-8, as the reader expects.
        buffer_ += nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::strict);
    }
}

void JsonWriter::Integer(std::int64_t value) {
    BeforeValue();
    char text[24];
    buffer_.append(text, std::to_chars(text, text + sizeof text, value).ptr);
}

void JsonWriter::Double(double value) {
    BeforeValue();
    buffer_ += nlohmann::json(value).dump();
}

void JsonWriter::Bool(bool value) {
    BeforeValue();
    buffer_ += value ? "true" : "false";
}

void JsonWriter::Flush() {
    out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    buffer_.clear();
}

void JsonWriter::Open(char bracket) {
    BeforeValue();
    buffer_ += bracket;
    empty_.push_back(true);
}

void JsonWriter::Close(char bracket) {
    const bool wasEmpty = empty_.back();
    empty_.pop_back();
    if (!wasEmpty) {
        NewLine();
    }
    buffer_ += bracket;
    if (empty_.empty()) {
        buffer_ += '\n';
        Flush();
    } else if (buffer_.size() >= kFlushAt) {
        Flush();
    }
}

// A value in an object comes after its key; anywhere else it starts a line
// of its own, after a comma unless it is the first.
void JsonWriter::BeforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (empty_.empty()) {
        return;
    }
    if (!empty_.back()) {
        buffer_ += ',';
    }
    empty_.back() = false;
    NewLine();
}

void JsonWriter::NewLine() {
    constexpr std::string_view kIndents = "\n                                ";
    const std::size_t width = 1 + empty_.size() * 2;
    if (width <= kIndents.size()) {
        buffer_.append(kIndents.substr(0, width));
    } else {
        buffer_ += '\n';
        buffer_.append(empty_.size() * 2, ' ');
    }
}

}  // namespace vt
