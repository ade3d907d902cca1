#pragma once
// The sections of the creation function: one per table, query and
// relationship, each with the checks that follow its statements, and a
// comment where something DAO cannot create is left out.

#include "dbaccess/model.h"
#include "generator/run.h"

namespace vt {

// System tables get no section; tables linked through ODBC only with the
// full design.
bool GetsTableSection(const TableDef& table, bool fullDesign);

void WriteTableSection(Run& run, const TableDef& table);
void WriteQuerySection(Run& run, const QueryDef& query);
// A relation whose tables get no section is left out without a word, as
// it always was; one whose table or field is left out says so.
void WriteRelationSection(Run& run, const Relation& relation);

}  // namespace vt
