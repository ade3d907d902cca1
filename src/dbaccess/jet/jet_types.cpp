#include "dbaccess/jet/jet_types.h"

#include <array>

namespace vt::jet {
namespace {

struct TypeRow {
    std::uint8_t stored;
    DaoType dao;
    SizeRule size;
    bool daoCreates;
    const char* name;
};

constexpr DaoType Raw(std::uint8_t stored) { return static_cast<DaoType>(stored); }

constexpr std::array<TypeRow, 18> kStoredTypes{{
    {0x01, DaoType::kBoolean, SizeRule::kStoredLength, true, "the Yes/No type"},
    {0x02, DaoType::kByte, SizeRule::kStoredLength, true, "the Byte type"},
    {0x03, DaoType::kInteger, SizeRule::kStoredLength, true, "the Integer type"},
    {0x04, DaoType::kLong, SizeRule::kStoredLength, true, "the Long Integer type"},
    {0x05, DaoType::kCurrency, SizeRule::kStoredLength, true, "the Currency type"},
    {0x06, DaoType::kSingle, SizeRule::kStoredLength, true, "the Single type"},
    {0x07, DaoType::kDouble, SizeRule::kStoredLength, true, "the Double type"},
    {0x08, DaoType::kDate, SizeRule::kStoredLength, true, "the Date/Time type"},
    {0x09, DaoType::kBinary, SizeRule::kStoredLength, true, "the Binary type"},
    {0x0A, DaoType::kText, SizeRule::kCharacters, true, "the Text type"},
    {0x0B, DaoType::kLongBinary, SizeRule::kZero, true, "the OLE Object type"},
    {0x0C, DaoType::kMemo, SizeRule::kZero, true, "the Memo type"},
    {0x0F, DaoType::kGuid, SizeRule::kStoredLength, true, "the Replication ID type"},
    {0x10, DaoType::kDecimal, SizeRule::kDecimal, true, "the Decimal type"},
    {0x11, Raw(0x11), SizeRule::kStoredLength, false, "an engine-internal type"},
    {0x12, Raw(0x12), SizeRule::kStoredLength, false,
     "an ACE complex (multi-value, attachment or version-history) type"},
    {0x13, DaoType::kBigInt, SizeRule::kStoredLength, false, "the Large Number type"},
    {0x14, Raw(0x14), SizeRule::kStoredLength, false, "the extended Date/Time type"},
}};

}  // namespace

StoredType LookupStoredType(std::uint8_t stored) {
    for (const TypeRow& row : kStoredTypes) {
        if (row.stored == stored) {
            return StoredType{row.stored, row.dao, row.size, row.daoCreates, row.name};
        }
    }
    return StoredType{stored, Raw(stored), SizeRule::kStoredLength, false,
                      "an unknown type " + std::to_string(stored)};
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

}  // namespace vt::jet
