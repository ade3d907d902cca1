#pragma once
// The schema file: a database's design as one JSON document.

#include <iosfwd>
#include <string>
#include <string_view>

#include "dbaccess/model.h"

namespace vt {

class Database;

inline constexpr const char* kSchemaFormat = "vellumtide-schema";
inline constexpr int kSchemaVersion = 1;

// Parses and checks a schema document. Throws ErrorException (3343) naming
// `file` (when given) and the first problem; nothing is guessed.
Schema ReadSchemaJson(std::string_view text, const std::string& file = "");

// The document for `schema`, UTF-8, ending in a line feed.
std::string WriteSchemaJson(const Schema& schema);
// The same document written as it is made, one table at a time.
void WriteSchemaJson(const Schema& schema, std::ostream& out);
// The document for an open database, each object read as it is written.
void WriteSchemaJson(const Database& database, std::ostream& out);

// Whether `content` is a JSON document rather than a database file.
bool LooksLikeJson(std::string_view content);

}  // namespace vt
