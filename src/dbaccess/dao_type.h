#pragma once
// DAO's data types (DataTypeEnum): what Field.Type, a query parameter's type
// and a property's type hold, and which of them DAO can create.

#include <cstdint>
#include <string>

namespace vt {

enum class DaoType : std::int16_t {
    kBoolean = 1,
    kByte = 2,
    kInteger = 3,
    kLong = 4,
    kCurrency = 5,
    kSingle = 6,
    kDouble = 7,
    kDate = 8,
    kBinary = 9,
    kText = 10,
    kLongBinary = 11,
    kMemo = 12,
    kGuid = 15,
    kBigInt = 16,
    kChar = 18,
    kDecimal = 20,
    kDateTimeExtended = 26,
    kAttachment = 101,
    kComplexByte = 102,
    kComplexInteger = 103,
    kComplexLong = 104,
    kComplexSingle = 105,
    kComplexDouble = 106,
    kComplexGuid = 107,
    kComplexDecimal = 108,
    kComplexText = 109,
};

constexpr std::int16_t DaoCode(DaoType type) { return static_cast<std::int16_t>(type); }

// The type's name in Jet SQL (PARAMETERS, column types); null for a code
// that has none.
const char* SqlTypeName(std::int32_t daoCode);

// What a user calls the type ("Decimal", "Attachment", …), for messages.
std::string DaoTypeName(DaoType type);

// Whether CreateField makes a field of this type in a database that
// CreateDatabase made: DAO 3.6 for Jet files, the ACE library for ACE
// files. DataTypeEnum marks Decimal, Char and the like as ODBCDirect only;
// Large Number and extended Date/Time need database options a new file
// lacks; a multi-value Decimal cannot be made through DAO at all.
bool DaoCreatesField(DaoType type, bool ace);

}  // namespace vt
