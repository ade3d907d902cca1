#pragma once
// What the window says about the open database beyond its list: how many
// objects the list holds, and the details of one of them. Plain text, no
// widgets, so that it is tested on its own.

#include <string>
#include <vector>

#include "dbaccess/catalogue.h"
#include "dbaccess/model.h"

namespace vt::ui {

// "12 tables, 3 queries, 2 relations" for the lines of a listing.
std::string CatalogueCountText(const std::vector<CatalogueLine>& lines);

// A table's fields (name, type, size) and indexes (name, fields, primary or
// unique); a query's SQL; a relation's tables and fields. Lines end in "\n"
// and columns line up in a fixed-pitch font.
std::string TableDetails(const TableDef& table);
std::string QueryDetails(const QueryDef& query);
std::string RelationDetails(const Relation& relation);

// The details of the object behind `line`, read from `database` now; throws
// ErrorException when the engine cannot read it.
std::string ObjectDetails(const Database& database, const CatalogueLine& line);

}  // namespace vt::ui
