#pragma once
// With the full design: the statements that give a saved object the
// properties the source stored for it, and the database's file format.

#include <string>
#include <vector>

#include "dbaccess/model.h"
#include "generator/run.h"

namespace vt {

// One SetProperty call per stored property of `object` (a DAO expression
// such as "myTable.Fields(\"ID\")"), a comment naming `what` for each one
// left out.
void WriteProperties(Run& run, const std::string& object, const std::string& what,
                     const std::vector<Property>& properties);

// The DatabaseTypeEnum constant for the source's file format.
std::string FileFormatConstant(const std::string& engine);

// A locale string for a collating order DAO has no constant for.
std::string LocaleString(std::int32_t collatingOrder, int codePage);

}  // namespace vt
