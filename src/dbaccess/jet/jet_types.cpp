#include "dbaccess/jet/jet_types.h"

#include <algorithm>
#include <array>
#include <utility>

namespace vt::jet {
namespace {

struct TypeRow {
    std::uint8_t stored;
    DaoType dao;
    SizeRule size;
    const char* name;
};

constexpr DaoType Raw(std::uint8_t stored) { return static_cast<DaoType>(stored); }

constexpr std::array<TypeRow, 18> kStoredTypes{{
    {0x01, DaoType::kBoolean, SizeRule::kStoredLength, "the Yes/No type"},
    {0x02, DaoType::kByte, SizeRule::kStoredLength, "the Byte type"},
    {0x03, DaoType::kInteger, SizeRule::kStoredLength, "the Integer type"},
    {0x04, DaoType::kLong, SizeRule::kStoredLength, "the Long Integer type"},
    {0x05, DaoType::kCurrency, SizeRule::kStoredLength, "the Currency type"},
    {0x06, DaoType::kSingle, SizeRule::kStoredLength, "the Single type"},
    {0x07, DaoType::kDouble, SizeRule::kStoredLength, "the Double type"},
    {0x08, DaoType::kDate, SizeRule::kStoredLength, "the Date/Time type"},
    {0x09, DaoType::kBinary, SizeRule::kStoredLength, "the Binary type"},
    {0x0A, DaoType::kText, SizeRule::kCharacters, "the Text type"},
    {0x0B, DaoType::kLongBinary, SizeRule::kZero, "the OLE Object type"},
    {0x0C, DaoType::kMemo, SizeRule::kZero, "the Memo type"},
    {0x0F, DaoType::kGuid, SizeRule::kStoredLength, "the Replication ID type"},
    {0x10, DaoType::kDecimal, SizeRule::kDecimal, "the Decimal type"},
    {0x11, Raw(0x11), SizeRule::kStoredLength, "an engine-internal type"},
    // Attachment, multi-value or version history: the reader asks the
    // catalogue which, and keeps the raw byte when it cannot tell.
    {0x12, Raw(0x12), SizeRule::kStoredLength,
     "an ACE complex (multi-value, attachment or version-history) type"},
    {0x13, DaoType::kBigInt, SizeRule::kStoredLength, "the Large Number type"},
    {0x14, DaoType::kDateTimeExtended, SizeRule::kStoredLength, "the extended Date/Time type"},
}};

const TypeRow* FindRow(std::uint8_t stored) {
    const auto row = std::find_if(kStoredTypes.begin(), kStoredTypes.end(),
                                  [stored](const TypeRow& r) { return r.stored == stored; });
    return row == kStoredTypes.end() ? nullptr : &*row;
}

}  // namespace

StoredType LookupStoredType(std::uint8_t stored) {
    const TypeRow* row = FindRow(stored);
    return row != nullptr ? StoredType{row->stored, row->dao, row->size}
                          : StoredType{stored, Raw(stored), SizeRule::kStoredLength};
}

std::string StoredTypeName(std::uint8_t stored) {
    const TypeRow* row = FindRow(stored);
    return row != nullptr ? row->name : "an unknown type " + std::to_string(stored);
}

FieldShape MapFieldDesign(const ColumnShape& column, bool jet3) {
    const StoredType type = LookupStoredType(column.type);
    FieldShape field;
    field.type = type.dao;
    switch (type.size) {
        case SizeRule::kStoredLength: field.size = column.length; break;
        case SizeRule::kCharacters: field.size = jet3 ? column.length : column.length / 2; break;
        case SizeRule::kZero: field.size = 0; break;
        case SizeRule::kDecimal: field.size = 16; break;
    }
    field.attributes = (column.flags & 0x01) != 0 ? 1 : 2;  // fixed or variable
    if ((column.flags & 0x04) != 0 && column.type == coltype::kLong) {
        field.attributes += 16;  // AutoNumber
    }
    if ((column.flags & 0x80) != 0 && column.type == coltype::kMemo) {
        field.attributes += 32768;  // hyperlink
    }
    if ((column.flags & 0x10) != 0) {
        field.attributes += 8192;  // system or replication field
    }
    return field;
}

void ReportCalculatedResult(FieldShape& field) {
    constexpr std::array<std::pair<DaoType, std::int32_t>, 9> kFixedSizes{{
        {DaoType::kBoolean, 1}, {DaoType::kByte, 1}, {DaoType::kInteger, 2},
        {DaoType::kLong, 4}, {DaoType::kCurrency, 8}, {DaoType::kSingle, 4},
        {DaoType::kDouble, 8}, {DaoType::kDate, 8}, {DaoType::kGuid, 16},
    }};
    for (const auto& [type, size] : kFixedSizes) {
        if (field.type == type) {
            field.size = size;
            field.attributes = (field.attributes & ~2) | 1;  // fixed, not variable
        }
    }
}

}  // namespace vt::jet
