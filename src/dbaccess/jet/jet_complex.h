#pragma once
// ACE complex columns: attachments, multi-value fields and the hidden
// columns that keep an append-only memo's version history. The column only
// says it is complex; MSysComplexColumns names a type table whose columns
// tell which kind it is.

#include <cstdint>
#include <map>

#include "dbaccess/dao_type.h"
#include "dbaccess/jet/jet_table.h"

namespace vt::jet {

enum class ComplexKind { kUnknown, kAttachment, kMultiValue, kVersionHistory };

struct ComplexColumn {
    ComplexKind kind = ComplexKind::kUnknown;
    DaoType dao{};  // dbAttachment or dbComplexByte…dbComplexText
};

// Complex columns by the complex id their column descriptor holds.
using ComplexColumns = std::map<std::uint32_t, ComplexColumn>;

// Reads MSysComplexColumns (its table definition at `page`) and the type
// table of each entry.
ComplexColumns ReadComplexColumns(const JetFile& file, const TextDecoder& text,
                                  const RowReader& rows, std::uint32_t page);

// The kind a type table's stored column types describe.
ComplexColumn ClassifyComplexType(const TableDefinition& typeTable);

}  // namespace vt::jet
