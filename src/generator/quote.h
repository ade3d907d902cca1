#pragma once
// Turning texts into Visual Basic source: string expressions, identifiers
// and collating-order constant names.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/codepage.h"

namespace vt {

// A string expression that evaluates to `text`: printable characters in
// literals (quotation marks doubled), every other character as Chr(n) with
// its byte in `codePage`, or ChrW(n) when the code page lacks it.
std::string QuoteString(std::string_view text, const CodePage& codePage);

// A string literal for `text`: "text" when every character is printable,
// is not a quotation mark and exists in `codePage`; otherwise QuoteString,
// so no database text can break or inject code.
std::string Literal(std::string_view text, const CodePage& codePage);

// `text` with every character that a plain literal could not hold replaced
// by "?" (for the module's own name, which is the user's, not the database's).
std::string PlainText(std::string_view text, const CodePage& codePage);

// `text` for a comment line: characters a comment could not hold become
// "?", and a text longer than `maxLength` bytes is cut short with "...".
std::string CommentText(std::string_view text, const CodePage& codePage, std::size_t maxLength = 200);

// Cuts a string expression made by QuoteString or Literal into pieces of
// at most `maxPiece` bytes whose concatenation, in order, has the same
// value: "a" & "b" pieces, never inside a doubled quotation mark or a
// character.
std::vector<std::string> SplitExpression(std::string_view expression, std::size_t maxPiece);

// Up to eight letters, digits and underscores taken from `name`.
std::string IdentifierFromName(std::string_view name);

// The DAO constant for a collating order; none for an unlisted value.
std::optional<std::string> CollatingOrderConstant(std::int32_t collatingOrder);

}  // namespace vt
