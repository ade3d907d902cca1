#include "ui/vb_syntax.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <string_view>

namespace vt::ui {
namespace {

// Visual Basic's reserved words and the statement words a module is made of,
// in lower case and sorted, for a binary search.
constexpr std::string_view kKeywords[] = {
    "alias", "and", "as", "attribute", "base", "boolean", "byref", "byte", "byval", "call",
    "case", "compare", "const", "currency", "date", "declare", "dim", "do", "double", "each",
    "else", "elseif", "empty", "end", "enum", "eqv", "erase", "error", "event", "exit",
    "explicit", "false", "for", "friend", "function", "get", "global", "gosub", "goto", "if",
    "imp", "implements", "in", "integer", "is", "let", "lib", "like", "long", "loop", "me",
    "mod", "new", "next", "not", "nothing", "null", "object", "on", "option", "optional", "or",
    "paramarray", "preserve", "private", "property", "public", "raiseevent", "redim", "rem",
    "resume", "return", "select", "set", "single", "static", "step", "stop", "string", "sub",
    "then", "to", "true", "type", "typeof", "until", "variant", "wend", "while", "with",
    "withevents", "xor",
};
static_assert(std::is_sorted(std::begin(kKeywords), std::end(kKeywords)));

bool IsWordCharacter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
           c == u'_' || c >= 0x80;
}

// The word in lower case; empty beyond ASCII, where no keyword is.
std::string Lower(std::u16string_view word) {
    std::string lower;
    for (const char16_t c : word) {
        if (c >= 0x80) {
            return {};
        }
        lower += static_cast<char>(c >= u'A' && c <= u'Z' ? c - u'A' + u'a' : c);
    }
    return lower;
}

bool IsKeyword(const std::string& lower) {
    return std::binary_search(std::begin(kKeywords), std::end(kKeywords), std::string_view(lower));
}

// Where the string starting at `start` ends, past its closing mark.
std::size_t StringEnd(std::u16string_view line, std::size_t start) {
    std::size_t i = start + 1;
    while (i < line.size()) {
        if (line[i] == u'"') {
            if (i + 1 < line.size() && line[i + 1] == u'"') {
                i += 2;  // a doubled mark is one inside the string
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    return line.size();
}

// Whether a statement starts at `start`: nothing but blanks or a colon
// before it.
bool StartsStatement(std::u16string_view line, std::size_t start) {
    const std::size_t before = line.substr(0, start).find_last_not_of(u" \t");
    return before == std::u16string_view::npos || line[before] == u':';
}

}  // namespace

std::vector<VbSpan> VbSpans(std::u16string_view line) {
    std::vector<VbSpan> spans;
    std::size_t i = 0;
    while (i < line.size()) {
        const char16_t c = line[i];
        if (c == u'"') {
            const std::size_t end = StringEnd(line, i);
            spans.push_back({i, end - i, VbToken::kString});
            i = end;
        } else if (c == u'\'') {
            spans.push_back({i, line.size() - i, VbToken::kComment});
            break;
        } else if (IsWordCharacter(c)) {
            std::size_t end = i;
            while (end < line.size() && IsWordCharacter(line[end])) {
                ++end;
            }
            const std::string word = Lower(line.substr(i, end - i));
            const bool member = i > 0 && line[i - 1] == u'.';
            const bool function = end < line.size() && line[end] == u'$';  // String$( …
            if (word == "rem" && StartsStatement(line, i)) {
                spans.push_back({i, line.size() - i, VbToken::kComment});
                break;
            }
            if (!member && !function && IsKeyword(word)) {
                spans.push_back({i, end - i, VbToken::kKeyword});
            }
            i = end;
        } else {
            ++i;
        }
    }
    return spans;
}

}  // namespace vt::ui
