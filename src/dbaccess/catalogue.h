#pragma once
// The catalogue listing: one tagged line per table, stored query and
// relationship, as the window's list and `vellumtide-cli list` show it.

#include <string>
#include <vector>

#include "dbaccess/database.h"

namespace vt {

inline constexpr const char* kOdbcNotice = "ODBC Tables are not supported at this time.";

struct CatalogueLine {
    std::string text;
    bool odbcNotice = false;  // show kOdbcNotice before adding this line
};

// Reads the catalogue in collection order: tables, then queries, then
// relationships. System tables are left out.
std::vector<CatalogueLine> ListCatalogue(const Database& database);

// The tag of a table line; empty for a system table (no line).
std::string TableTag(std::int32_t attributes);

}  // namespace vt
