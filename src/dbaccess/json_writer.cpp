#include "dbaccess/json_writer.h"

#include <array>
#include <charconv>
#include <nlohmann/json.hpp>

#include "common/text.h"

namespace vt {
namespace {

constexpr char kHex[] = "0123456789abcdef";

// The escape of a control character, a quotation mark or a backslash.
std::string_view Escape(unsigned char byte) {
    switch (byte) {
        case '"': return "\\\"";
        case '\\': return "\\\\";
        case '\b': return "\\b";
        case '\t': return "\\t";
        case '\n': return "\\n";
        case '\f': return "\\f";
        case '\r': return "\\r";
        default: break;
    }
    static constexpr auto kControls = [] {
        std::array<std::array<char, 6>, 0x20> escapes{};
        for (std::size_t c = 0; c < escapes.size(); ++c) {
            escapes[c] = {'\\', 'u', '0', '0', kHex[c >> 4], kHex[c & 0xF]};
        }
        return escapes;
    }();
    return {kControls[byte].data(), kControls[byte].size()};
}

}  // namespace

void JsonWriter::Key(std::string_view name) {
    // Most of a schema file is member names: a name's comma, line break,
    // indentation and quotes go into the buffer in one go.
    const std::size_t indent = empty_.size() * 2;
    if (afterKey_ || empty_.empty() || 2 + indent + name.size() + 4 > kBufferSize - used_) {
        BeforeValue();
        Put('"');
        Put(name);  // a member name of the format's own: nothing to escape
        Put("\": ");
        afterKey_ = true;
        return;
    }
    char* out = buffer_.get() + used_;
    if (!empty_.back()) {
        *out++ = ',';
    }
    empty_.back() = 0;
    *out++ = '\n';
    std::memset(out, ' ', indent);
    out += indent;
    *out++ = '"';
    std::memcpy(out, name.data(), name.size());
    out += name.size();
    std::memcpy(out, "\": ", 3);
    used_ = static_cast<std::size_t>(out + 3 - buffer_.get());
    afterKey_ = true;
}

void JsonWriter::String(std::string_view text) {
    BeforeValue();
    Quoted(text);
}

// Escapes as nlohmann::json's dump writes them: a short form where JSON has
// one, \u00xx for the other control characters, and text beyond ASCII as it
// stands once it is checked to be UTF-8.
void JsonWriter::Quoted(std::string_view text) {
    Put('"');
    std::size_t plain = 0;  // where the text not yet put begins
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte >= 0x20 && byte < 0x80 && byte != '"' && byte != '\\') {
            ++i;
            continue;
        }
        if (byte >= 0x80) {
            const std::size_t lead = i;
            if (DecodeNext(text, i) == 0xFFFD && i == lead + 1) {
                // Not UTF-8, which the reader refuses: nlohmann's dump throws.
                nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::strict);
            }
            continue;
        }
        Put(text.substr(plain, i - plain));
        Put(Escape(byte));
        plain = ++i;
    }
    Put(text.substr(plain));
    Put('"');
}

void JsonWriter::Integer(std::int64_t value) {
    BeforeValue();
    char text[24];
    const char* end = std::to_chars(text, text + sizeof text, value).ptr;
    Put(std::string_view(text, static_cast<std::size_t>(end - text)));
}

void JsonWriter::Double(double value) {
    BeforeValue();
    Put(nlohmann::json(value).dump());
}

void JsonWriter::Bool(bool value) {
    BeforeValue();
    Put(value ? std::string_view("true") : std::string_view("false"));
}

void JsonWriter::Flush() {
    out_.write(buffer_.get(), static_cast<std::streamsize>(used_));
    used_ = 0;
}

void JsonWriter::PutLarge(std::string_view bytes) {
    Flush();
    if (bytes.size() >= kBufferSize) {
        out_.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return;
    }
    std::memcpy(buffer_.get(), bytes.data(), bytes.size());
    used_ = bytes.size();
}

void JsonWriter::Open(char bracket) {
    BeforeValue();
    Put(bracket);
    empty_.push_back(1);
}

void JsonWriter::Close(char bracket) {
    const bool wasEmpty = empty_.back();
    empty_.pop_back();
    if (!wasEmpty) {
        NewLine();
    }
    Put(bracket);
    if (empty_.empty()) {
        Put('\n');
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
        Put(',');
    }
    empty_.back() = 0;
    NewLine();
}

void JsonWriter::NewLine() {
    constexpr std::string_view kIndents = "\n                                ";
    const std::size_t width = 1 + empty_.size() * 2;
    if (width <= kIndents.size()) {
        Put(kIndents.substr(0, width));
        return;
    }
    Put('\n');
    for (std::size_t i = 0; i < empty_.size() * 2; ++i) {
        Put(' ');
    }
}

}  // namespace vt
