#include "generator/quote.h"

#include <algorithm>
#include <array>
#include <utility>

#include "common/text.h"

namespace vt {
namespace {

bool IsPrintableAscii(char32_t c) { return c >= 32 && c <= 126; }

bool FitsPlainLiteral(char32_t c, const CodePage& codePage) {
    return c >= 32 && c != 127 && c != U'"' && codePage.Represents(c);
}

// The call that yields character `c`: Chr with its byte where the code page
// has one, else ChrW with its UTF-16 code unit(s).
void AppendCharCall(std::string& out, char32_t c, const CodePage& codePage, bool& first) {
    auto piece = [&](const char* function, std::uint32_t n) {
        if (!first) {
            out += " & ";
        }
        first = false;
        out += function;
        out += '(';
        out += std::to_string(n);
        out += ')';
    };
    if (c < 0x80) {
        piece("Chr", static_cast<std::uint32_t>(c));
    } else if (const auto byte = codePage.ByteOf(c)) {
        piece("Chr", *byte);
    } else if (c <= 0xFFFF) {
        piece("ChrW", static_cast<std::uint32_t>(c));
    } else {
        const std::uint32_t v = static_cast<std::uint32_t>(c) - 0x10000;
        piece("ChrW", 0xD800 + (v >> 10));
        piece("ChrW", 0xDC00 + (v & 0x3FF));
    }
}

}  // namespace

std::string QuoteString(std::string_view text, const CodePage& codePage) {
    if (text.empty()) {
        return "\"\"";
    }
    std::string result;
    result.reserve(text.size() + 2);
    bool inLiteral = false;
    ForEachCodePoint(text, [&](char32_t c) {
        if (IsPrintableAscii(c)) {
            if (!inLiteral) {
                result += result.empty() ? "\"" : " & \"";
                inLiteral = true;
            }
            if (c == U'"') {
                result += "\"\"";
            } else {
                result += static_cast<char>(c);
            }
            return;
        }
        bool first = result.empty();
        if (inLiteral) {
            result += '"';
            inLiteral = false;
        }
        AppendCharCall(result, c, codePage, first);
    });
    if (inLiteral) {
        result += '"';
    }
    return result;
}

namespace {

// Whether every character of `text` goes between quotation marks as it is.
bool IsPlain(std::string_view text, const CodePage& codePage) {
    if (IsAscii(text)) {  // nearly every name: no character to decode
        return std::all_of(text.begin(), text.end(), [](char c) { return c >= 32 && c != 127 && c != '"'; });
    }
    bool plain = true;
    ForEachCodePoint(text, [&](char32_t c) { plain = plain && FitsPlainLiteral(c, codePage); });
    return plain;
}

}  // namespace

std::string Literal(std::string_view text, const CodePage& codePage) {
    const bool plain = IsPlain(text, codePage);
    if (!plain) {
        return QuoteString(text, codePage);
    }
    std::string literal;
    literal.reserve(text.size() + 2);
    literal += '"';
    literal += text;
    literal += '"';
    return literal;
}

std::string PlainText(std::string_view text, const CodePage& codePage) {
    std::string out;
    ForEachCodePoint(text, [&](char32_t c) {
        if (FitsPlainLiteral(c, codePage)) {
            AppendUtf8(out, c);
        } else {
            out += '?';
        }
    });
    return out;
}

std::string CommentText(std::string_view text, const CodePage& codePage, std::size_t maxLength) {
    std::string out;
    ForEachCodePoint(text, [&](char32_t c) {
        if (out.size() > maxLength) {
            return;
        }
        if (c >= 32 && c != 127 && codePage.Represents(c)) {
            AppendUtf8(out, c);
        } else {
            out += '?';
        }
    });
    if (out.size() > maxLength) {
        std::size_t cut = maxLength;
        while (cut > 0 && (static_cast<unsigned char>(out[cut]) & 0xC0) == 0x80) {
            --cut;  // whole characters only
        }
        out.resize(cut);
        out += "...";
    }
    return out;
}

namespace {

// The items of an expression joined by " & ": literals and Chr calls.
std::vector<std::string_view> ExpressionItems(std::string_view expression) {
    std::vector<std::string_view> items;
    std::size_t pos = 0;
    while (pos < expression.size()) {
        std::size_t end = pos;
        if (expression[pos] == '"') {
            end = pos + 1;
            while (end < expression.size()) {
                if (expression[end] == '"') {
                    if (end + 1 < expression.size() && expression[end + 1] == '"') {
                        end += 2;
                        continue;
                    }
                    break;
                }
                ++end;
            }
            end = std::min(end + 1, expression.size());
        } else {
            end = std::min(expression.find(')', pos), expression.size() - 1) + 1;
        }
        items.push_back(expression.substr(pos, end - pos));
        pos = end;
        if (expression.substr(pos, 3) == " & ") {
            pos += 3;
        }
    }
    return items;
}

// A literal item cut into literals of at most `maxPiece` bytes, between
// units: a doubled quotation mark or one whole character.
void SplitLiteral(std::string_view literal, std::size_t maxPiece, std::vector<std::string>& out) {
    const std::string_view body = literal.substr(1, literal.size() - 2);
    const std::size_t room = std::max<std::size_t>(maxPiece, 8) - 2;
    std::string piece;
    std::size_t pos = 0;
    while (pos < body.size()) {
        std::size_t length = 1;
        if (body[pos] == '"') {
            length = 2;
        } else {
            while (pos + length < body.size() &&
                   (static_cast<unsigned char>(body[pos + length]) & 0xC0) == 0x80) {
                ++length;
            }
        }
        if (piece.size() + length > room) {
            out.push_back("\"" + piece + "\"");
            piece.clear();
        }
        piece.append(body.substr(pos, length));
        pos += length;
    }
    out.push_back("\"" + piece + "\"");
}

}  // namespace

std::vector<std::string> SplitExpression(std::string_view expression, std::size_t maxPiece) {
    std::vector<std::string> items;
    for (const std::string_view item : ExpressionItems(expression)) {
        if (item.size() > maxPiece && item.front() == '"') {
            SplitLiteral(item, maxPiece, items);
        } else {
            items.emplace_back(item);
        }
    }
    std::vector<std::string> pieces;
    for (std::string& item : items) {
        if (!pieces.empty() && pieces.back().size() + 3 + item.size() <= maxPiece) {
            pieces.back() += " & " + item;
        } else {
            pieces.push_back(std::move(item));
        }
    }
    return pieces;
}

std::string IdentifierFromName(std::string_view name) {
    const std::u32string chars = ToUtf32(name);
    std::string result;
    std::size_t next = 0;
    for (int position = 1; position <= 8; ++position) {
        while (next < chars.size()) {
            const char32_t c = chars[next++];
            const bool isLast = next == chars.size();
            const bool letter = (c >= U'A' && c <= U'Z') || (c >= U'a' && c <= U'z');
            const bool digit = c >= U'0' && c <= U'9';
            const bool accepted = letter || (digit && position > 1) ||
                                  (c == U'_' && position > 1 && position < 8 && !isLast);
            if (accepted) {
                result += static_cast<char>(c);
                break;
            }
        }
    }
    return result;
}

std::optional<std::string> CollatingOrderConstant(std::int32_t collatingOrder) {
    // DAO's LanguageConstants, by the language id each one names. 1041 is
    // Japanese: dbLangNordic names Swedish (0x041D), a Jet 1.0 sort.
    static constexpr std::array<std::pair<std::int32_t, const char*>, 20> kConstants{{
        {1025, "dbLangArabic"},
        {1028, "dbLangChineseTraditional"},
        {1029, "dbLangCzech"},
        {1030, "dbLangNorwdan"},
        {1032, "dbLangGreek"},
        {1033, "dbLangGeneral"},
        {1034, "dbLangSpanish"},
        {1037, "dbLangHebrew"},
        {1038, "dbLangHungarian"},
        {1039, "dbLangIcelandic"},
        {1041, "dbLangJapanese"},
        {1042, "dbLangKorean"},
        {1043, "dbLangDutch"},
        {1045, "dbLangPolish"},
        {1049, "dbLangCyrillic"},
        {1053, "dbLangSwedfin"},
        {1054, "dbLangThai"},
        {1055, "dbLangTurkish"},
        {1060, "dbLangSlovenian"},
        {2052, "dbLangChineseSimplified"},
    }};
    for (const auto& [order, name] : kConstants) {
        if (order == collatingOrder) {
            return std::string(name);
        }
    }
    return std::nullopt;
}

}  // namespace vt
