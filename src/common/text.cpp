#include "common/text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include <utf8proc.h>

namespace vt {

char32_t DecodeNext(std::string_view s, std::size_t& pos) {
    constexpr char32_t kReplacement = 0xFFFD;
    const auto lead = static_cast<unsigned char>(s[pos]);
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    int length = 0;
    char32_t cp = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, cp = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, cp = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, cp = lead & 0x07, minimum = 0x10000;
    } else {
        ++pos;
        return kReplacement;
    }
    if (pos + length > s.size()) {
        ++pos;
        return kReplacement;
    }
    for (int i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(s[pos + i]);
        if ((next & 0xC0) != 0x80) {
            ++pos;
            return kReplacement;
        }
        cp = (cp << 6) | (next & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++pos;
        return kReplacement;
    }
    pos += length;
    return cp;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::u32string ToUtf32(std::string_view utf8) {
    std::u32string out;
    out.reserve(utf8.size());
    ForEachCodePoint(utf8, [&](char32_t cp) { out += cp; });
    return out;
}

// Eight bytes at a time: every name read and every module line is checked.
bool IsAscii(std::string_view text) {
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + i, 8);
        if ((word & 0x8080808080808080ULL) != 0) {
            return false;
        }
    }
    for (; i < text.size(); ++i) {
        if (static_cast<unsigned char>(text[i]) >= 0x80) {
            return false;
        }
    }
    return true;
}

namespace {

char AsciiFolded(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

int Sign(int value) { return (value > 0) - (value < 0); }

// A character's full case folding, at most three characters long; empty for
// a value that is no character.
struct FullFolding {
    std::array<utf8proc_int32_t, 4> chars{};
    utf8proc_ssize_t length = 0;

    explicit FullFolding(utf8proc_int32_t cp) {
        int boundary = 0;
        length = utf8proc_decompose_char(cp, chars.data(), chars.size(), UTF8PROC_CASEFOLD, &boundary);
        if (length < 0 || length > static_cast<utf8proc_ssize_t>(chars.size())) {
            length = 0;
        }
    }
    bool operator==(const FullFolding& other) const {
        return std::equal(chars.begin(), chars.begin() + length, other.chars.begin(),
                          other.chars.begin() + other.length);
    }
};

// Unicode's simple case folding, which keeps a name's length in characters.
// Where the full folding is one character, that is it. Where it is several
// (ß to "ss"), it is the lower case if that folds alike (ẞ to ß), and else
// the character itself (İ, whose one-character folding is Turkish only).
char32_t SimpleFolding(char32_t cp) {
    const auto code = static_cast<utf8proc_int32_t>(cp);
    const FullFolding full(code);
    if (full.length == 1) {
        return static_cast<char32_t>(full.chars[0]);
    }
    const utf8proc_int32_t lower = utf8proc_tolower(code);
    return full.length > 1 && FullFolding(lower) == full ? static_cast<char32_t>(lower) : cp;
}

char32_t FoldedCodePoint(char32_t cp) {
    return cp < 0x80 ? static_cast<char32_t>(AsciiFolded(static_cast<char>(cp))) : SimpleFolding(cp);
}

// The order of FoldCase(a) and FoldCase(b), found without building either
// (UTF-8 orders as its code points do), at the first character that differs.
int CompareFolded(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        char32_t x = 0;
        char32_t y = 0;
        if (((a[i] | b[j]) & 0x80) == 0) {  // both ASCII, as names nearly always are
            x = static_cast<unsigned char>(AsciiFolded(a[i++]));
            y = static_cast<unsigned char>(AsciiFolded(b[j++]));
        } else {
            x = FoldedCodePoint(DecodeNext(a, i));
            y = FoldedCodePoint(DecodeNext(b, j));
        }
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    return static_cast<int>(i < a.size()) - static_cast<int>(j < b.size());
}

}  // namespace

// Names are nearly always ASCII, where folding is lowering A-Z; Unicode's
// tables are read only for the rest.
std::string FoldCase(std::string_view utf8) {
    if (IsAscii(utf8)) {
        std::string out(utf8);
        for (char& c : out) {
            c = AsciiFolded(c);
        }
        return out;
    }
    std::string out;
    out.reserve(utf8.size());
    ForEachCodePoint(utf8, [&](char32_t cp) { AppendUtf8(out, FoldedCodePoint(cp)); });
    return out;
}

// From `from` on, where a non-ASCII character or the end of the shorter
// name was met: only a non-ASCII character can fold to another length, so
// names of two lengths that are ASCII to the end differ.
bool SameNameFrom(std::string_view a, std::string_view b, std::size_t from) {
    if (a.size() != b.size() && from == std::min(a.size(), b.size()) &&
        IsAscii(a.size() > b.size() ? a.substr(from) : b.substr(from))) {
        return false;
    }
    return CompareFolded(a.substr(from), b.substr(from)) == 0;
}

int CompareNames(std::string_view a, std::string_view b) {
    if (const int c = CompareFolded(a, b); c != 0) {
        return c;
    }
    return Sign(a.compare(b));
}

}  // namespace vt
