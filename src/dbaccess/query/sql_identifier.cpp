#include <algorithm>
#include <array>
#include <string>
#include <string_view>

#include <utf8proc.h>

#include "common/text.h"
#include "dbaccess/query/query_sql.h"

namespace vt {
namespace {

// The Jet 4 SQL reserved words, upper case and sorted for binary search.
constexpr std::array<std::string_view, 125> kReservedWords = {
    "ADD", "ALL", "ALPHANUMERIC", "ALTER", "AND", "ANY", "AS", "ASC",
    "AUTOINCREMENT", "AVG", "BETWEEN", "BINARY", "BIT", "BOOLEAN", "BY",
    "BYTE", "CHAR", "CHARACTER", "COLUMN", "CONSTRAINT", "COUNT", "COUNTER",
    "CREATE", "CURRENCY", "DATABASE", "DATE", "DATETIME", "DELETE", "DESC",
    "DISALLOW", "DISTINCT", "DISTINCTROW", "DOUBLE", "DROP", "EQV", "EXISTS",
    "FLOAT", "FLOAT4", "FLOAT8", "FOREIGN", "FROM", "GENERAL", "GROUP", "GUID",
    "HAVING", "IEEEDOUBLE", "IEEESINGLE", "IGNORE", "IMP", "IN", "INDEX",
    "INNER", "INSERT", "INT", "INTEGER", "INTEGER1", "INTEGER2", "INTEGER4",
    "INTO", "IS", "JOIN", "KEY", "LEFT", "LEVEL", "LIKE", "LOGICAL",
    "LOGICAL1", "LONG", "LONGBINARY", "LONGTEXT", "MAX", "MEMO", "MIN", "MOD",
    "MONEY", "NOT", "NULL", "NUMBER", "NUMERIC", "OLEOBJECT", "ON", "OPTION",
    "OR", "ORDER", "OUTER", "OWNERACCESS", "PARAMETERS", "PERCENT", "PIVOT",
    "PRIMARY", "PROCEDURE", "REAL", "REFERENCES", "RIGHT", "SELECT", "SET",
    "SHORT", "SINGLE", "SMALLINT", "SOME", "STDEV", "STDEVP", "STRING", "SUM",
    "TABLE", "TABLEID", "TEXT", "TIME", "TIMESTAMP", "TOP", "TRANSFORM",
    "UNION", "UNIQUE", "UPDATE", "VALUE", "VALUES", "VAR", "VARBINARY",
    "VARCHAR", "VARP", "WHERE", "WITH", "XOR", "YEAR", "YESNO",
};
static_assert(std::is_sorted(kReservedWords.begin(), kReservedWords.end()));

constexpr std::size_t kLongestReservedWord = 13;  // AUTOINCREMENT

bool IsAsciiDigit(char32_t cp) { return cp >= U'0' && cp <= U'9'; }

// ASCII's name characters are its letters, digits and "_"; Unicode's
// categories decide the rest.
bool IsNameCharacter(char32_t cp) {
    if (cp < 0x80) {
        return cp == U'_' || IsAsciiDigit(cp) || ((cp | 0x20) >= U'a' && (cp | 0x20) <= U'z');
    }
    switch (utf8proc_category(static_cast<utf8proc_int32_t>(cp))) {
        case UTF8PROC_CATEGORY_LU:
        case UTF8PROC_CATEGORY_LL:
        case UTF8PROC_CATEGORY_LT:
        case UTF8PROC_CATEGORY_LM:
        case UTF8PROC_CATEGORY_LO:
        case UTF8PROC_CATEGORY_MN:
        case UTF8PROC_CATEGORY_MC:
        case UTF8PROC_CATEGORY_ME:
        case UTF8PROC_CATEGORY_ND:
            return true;
        default:
            return false;
    }
}

bool IsDigit(char32_t cp) {
    return cp < 0x80 ? IsAsciiDigit(cp) : utf8proc_category(static_cast<utf8proc_int32_t>(cp)) == UTF8PROC_CATEGORY_ND;
}

}  // namespace

bool IsJetReservedWord(std::string_view word) {
    if (word.empty() || word.size() > kLongestReservedWord) {
        return false;
    }
    std::string upper(word);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return std::binary_search(kReservedWords.begin(), kReservedWords.end(),
                              std::string_view(upper));
}

bool TryBracketIdentifier(std::string_view name, std::string& out) {
    if (name.empty()) {
        return false;
    }
    // Already bracketed, as Access sometimes stores it.
    if (name.size() >= 2 && name.front() == '[' && name.back() == ']') {
        out.append(name);
        return true;
    }
    // Jet has no escape for "]" inside brackets.
    if (name.find(']') != std::string_view::npos) {
        return false;
    }
    bool bracket = IsJetReservedWord(name);
    std::size_t pos = 0;
    bool first = true;
    while (!bracket && pos < name.size()) {
        const char32_t cp = DecodeNext(name, pos);
        bracket = !IsNameCharacter(cp) || (first && IsDigit(cp));
        first = false;
    }
    if (bracket) {
        out.push_back('[');
        out.append(name);
        out.push_back(']');
    } else {
        out.append(name);
    }
    return true;
}

}  // namespace vt
