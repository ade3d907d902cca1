#pragma once
// DAO's data types (DataTypeEnum): what Field.Type, a query parameter's type
// and a property's type hold.

#include <cstdint>

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
    kDecimal = 20,
};

constexpr std::int16_t DaoCode(DaoType type) { return static_cast<std::int16_t>(type); }

// The type's name in Jet SQL (PARAMETERS, column types); null for a code
// that has none.
const char* SqlTypeName(std::int32_t daoCode);

}  // namespace vt
