#pragma once
// Reads back the string expressions a generated module holds, as Visual
// Basic would evaluate them: "…" literals, Chr(n) in the module's code page,
// ChrW(n) UTF-16 units, and string variables assigned on earlier lines, all
// joined by " & ". Anything else fails the test.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <string_view>

#include "common/codepage.h"
#include "common/text.h"

namespace vt::test {

class VbStrings {
public:
    explicit VbStrings(const CodePage& codePage) : codePage_(codePage) {}

    // Takes "name = expression" (leading spaces allowed); false for any
    // other line.
    bool Assign(std::string_view line) {
        line.remove_prefix(std::min(line.find_first_not_of(' '), line.size()));
        const auto eq = line.find(" = ");
        if (eq == std::string_view::npos || line.substr(0, eq).find_first_of(" .(") != std::string_view::npos) {
            return false;
        }
        variables_[std::string(line.substr(0, eq))] = Units(line.substr(eq + 3));
        return true;
    }

    // The UTF-8 text `expression` (module bytes) stands for.
    std::string Evaluate(std::string_view expression) const { return ToUtf8(Units(expression)); }

private:
    // VB strings are UTF-16: a character beyond U+FFFF may arrive in halves.
    std::u16string Units(std::string_view expression) const {
        std::u16string units;
        std::size_t pos = 0;
        while (pos < expression.size()) {
            if (expression[pos] == '"') {
                std::string bytes;
                ++pos;
                while (pos < expression.size()) {
                    if (expression[pos] == '"') {
                        if (pos + 1 < expression.size() && expression[pos + 1] == '"') {
                            bytes += '"';
                            pos += 2;
                            continue;
                        }
                        break;
                    }
                    bytes += expression[pos++];
                }
                EXPECT_LT(pos, expression.size()) << "unclosed literal in " << expression;
                ++pos;
                AppendUtf8Units(units, codePage_.Decode(bytes));
            } else if (expression.substr(pos, 5) == "ChrW(" || expression.substr(pos, 4) == "Chr(") {
                const bool wide = expression[pos + 3] == 'W';
                const auto close = expression.find(')', pos);
                const std::size_t start = pos + (wide ? 5 : 4);
                const unsigned long n = std::stoul(std::string(expression.substr(start, close - start)));
                if (wide) {
                    units.push_back(static_cast<char16_t>(n));
                } else {
                    AppendUtf8Units(units, codePage_.Decode(std::string(1, static_cast<char>(n))));
                }
                pos = close + 1;
            } else {
                const auto end = std::min(expression.find(" & ", pos), expression.size());
                const auto found = variables_.find(std::string(expression.substr(pos, end - pos)));
                if (found == variables_.end()) {
                    ADD_FAILURE() << "not a string expression: " << expression.substr(pos, 40);
                    return {};
                }
                units += found->second;
                pos = end;
            }
            if (expression.substr(pos, 3) == " & ") {
                pos += 3;
            } else if (pos < expression.size()) {
                ADD_FAILURE() << "unexpected text in " << expression.substr(pos, 40);
                return {};
            }
        }
        return units;
    }

    static void AppendUtf8Units(std::u16string& units, std::string_view utf8) {
        ForEachCodePoint(utf8, [&](char32_t c) {
            if (c > 0xFFFF) {
                units.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
                units.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
            } else {
                units.push_back(static_cast<char16_t>(c));
            }
        });
    }
    static std::string ToUtf8(const std::u16string& units) {
        std::string out;
        for (std::size_t i = 0; i < units.size(); ++i) {
            char32_t c = units[i];
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size()) {
                c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
            }
            AppendUtf8(out, c);
        }
        return out;
    }

    const CodePage& codePage_;
    std::map<std::string, std::u16string> variables_;
};

}  // namespace vt::test
