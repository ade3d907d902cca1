#pragma once
// The catalogue listing: one tagged line per table, stored query and
// relationship, as the window's list and `vellumtide-cli list` show it.

#include <cstddef>
#include <string>
#include <vector>

#include "dbaccess/database.h"

namespace vt {

inline constexpr const char* kOdbcNotice = "ODBC Tables are not supported at this time.";

// The width of a line's kind tag; the object's name follows it.
inline constexpr std::size_t kTagWidth = 15;

enum class CatalogueObject { kTable, kQuery, kRelation };

struct CatalogueLine {
    std::string text;
    bool odbcNotice = false;  // show kOdbcNotice before adding this line
    // The object the line stands for: its collection and its place there
    // (system tables are not listed, so a line's row is no such place).
    CatalogueObject object = CatalogueObject::kTable;
    std::size_t index = 0;
};

// Reads the catalogue in collection order: tables, then queries, then
// relationships. System tables are left out.
std::vector<CatalogueLine> ListCatalogue(const Database& database);

// The tag of a table line; empty for a system table (no line).
std::string TableTag(std::int32_t attributes);

}  // namespace vt
