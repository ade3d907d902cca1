#pragma once
// What the module viewer colours in a line of Visual Basic:
// keywords, comments and string literals. No widgets, so that it is tested
// on its own.

#include <cstddef>
#include <string_view>
#include <vector>

namespace vt::ui {

enum class VbToken { kKeyword, kComment, kString };

struct VbSpan {
    std::size_t start = 0;  // in UTF-16 units, as the viewer counts
    std::size_t length = 0;
    VbToken token = VbToken::kKeyword;
    bool operator==(const VbSpan&) const = default;
};

// The coloured spans of one line, left to right. A string runs to its
// closing quotation mark (a doubled one stays inside) or the end of the
// line; an apostrophe outside a string, or Rem as a statement, starts a
// comment to the end; a keyword after a full stop is a member's name.
std::vector<VbSpan> VbSpans(std::u16string_view line);

}  // namespace vt::ui
