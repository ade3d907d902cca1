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

// Whether every byte of `text` is ASCII.
bool IsAscii(std::string_view text);

// Simple Unicode case folding, for comparing names as Jet does.
std::string FoldCase(std::string_view utf8);

bool SameNameFrom(std::string_view a, std::string_view b, std::size_t from);

// Whether two names are the same name once case is folded. Inline, as the
// reader asks it for every property of every field: names are compared as
// ASCII for as long as both are, and a difference there decides.
inline bool SameName(std::string_view a, std::string_view b) {
    const std::size_t common = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < common; ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if (((x | y) & 0x80) != 0) {
            return SameNameFrom(a, b, i);
        }
        if (x != y && (x ^ y) != 0x20) {
            return false;
        }
        if (x != y && ((x | 0x20) < 'a' || (x | 0x20) > 'z')) {
            return false;  // differ only in bit 5, but are not a letter's two cases
        }
    }
    return a.size() == b.size() || SameNameFrom(a, b, common);
}

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
