#pragma once
// UTF-8 text helpers. Every string inside the program is UTF-8; code pages
// appear only where the module is written and where Jet3 text is read.

#include <string>
#include <string_view>

namespace vt {

// Calls `visit(codePoint)` for every character of `utf8`; a malformed
// sequence yields U+FFFD for each byte it spans.
template <typename Visitor>
void ForEachCodePoint(std::string_view utf8, Visitor&& visit);

char32_t DecodeNext(std::string_view utf8, std::size_t& pos);
void AppendUtf8(std::string& out, char32_t codePoint);
std::u32string ToUtf32(std::string_view utf8);

// Simple Unicode case folding, for comparing names as Jet does.
std::string FoldCase(std::string_view utf8);

// Whether two names are the same name once case is folded.
bool SameName(std::string_view a, std::string_view b);

// Case-insensitive (folded) comparison, ties broken by code points.
int CompareNames(std::string_view a, std::string_view b);

template <typename Visitor>
void ForEachCodePoint(std::string_view utf8, Visitor&& visit) {
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        visit(DecodeNext(utf8, pos));
    }
}

}  // namespace vt
