#include "dbaccess/jet/jet_complex.h"

#include <array>
#include <utility>

namespace vt::jet {
namespace {

// A multi-value field's type table has one column, of the value's type.
constexpr std::array<std::pair<std::uint8_t, DaoType>, 8> kMultiValueTypes{{
    {coltype::kByte, DaoType::kComplexByte},
    {coltype::kInteger, DaoType::kComplexInteger},
    {coltype::kLong, DaoType::kComplexLong},
    {coltype::kSingle, DaoType::kComplexSingle},
    {coltype::kDouble, DaoType::kComplexDouble},
    {coltype::kGuid, DaoType::kComplexGuid},
    {coltype::kDecimal, DaoType::kComplexDecimal},
    {coltype::kText, DaoType::kComplexText},
}};

}  // namespace

ComplexColumn ClassifyComplexType(const TableDefinition& typeTable) {
    const auto& columns = typeTable.columns;
    if (columns.size() == 1) {
        for (const auto& [stored, dao] : kMultiValueTypes) {
            if (columns.front().type == stored) {
                return {ComplexKind::kMultiValue, dao};
            }
        }
    }
    std::map<std::uint8_t, int> count;
    for (const Column& column : columns) {
        ++count[column.type];
    }
    // File URL and name, type, data, time stamp, flags.
    if (columns.size() >= 6 && count[coltype::kMemo] >= 1 && count[coltype::kText] >= 2 &&
        count[coltype::kOle] >= 1 && count[coltype::kDate] >= 1 && count[coltype::kLong] >= 1) {
        return {ComplexKind::kAttachment, DaoType::kAttachment};
    }
    // The memo's value and when it was set.
    if (count[coltype::kMemo] >= 1 && count[coltype::kDate] >= 1) {
        return {ComplexKind::kVersionHistory, DaoType::kMemo};
    }
    return {};
}

ComplexColumns ReadComplexColumns(const JetFile& file, const TextDecoder& text,
                                  const RowReader& rows, std::uint32_t page) {
    const TableDefinition table = ReadTableDefinition(file, text, page);
    const Column* complexId = table.FindColumn("ComplexID");
    const Column* typeObject = table.FindColumn("ComplexTypeObjectID");
    if (complexId == nullptr || typeObject == nullptr) {
        Damaged("the list of complex columns lacks its columns");
    }
    std::map<std::int64_t, ComplexColumn> kinds;  // by type table object id
    ComplexColumns result;
    rows.ForEachRow(table, [&](const std::vector<RowValue>& row) {
        const auto id = rows.Integer(complexId, row, table);
        const auto type = rows.Integer(typeObject, row, table);
        if (!id || !type) {
            return;
        }
        auto known = kinds.find(*type);
        if (known == kinds.end()) {
            const auto typePage = static_cast<std::uint32_t>(*type) & 0x00FFFFFFu;
            known = kinds.emplace(*type, ClassifyComplexType(ReadTableDefinition(file, text, typePage))).first;
        }
        result[static_cast<std::uint32_t>(*id)] = known->second;
    });
    return result;
}

}  // namespace vt::jet
