#include "dbaccess/dao_type.h"

#include <array>

namespace vt {
namespace {

struct TypeRow {
    DaoType type;
    const char* name;     // as users call it
    const char* sqlName;  // in Jet SQL; null when it has none
    bool jetCreates;      // DAO 3.6 creates it
    bool aceCreates;      // the ACE library creates it
};

constexpr std::array<TypeRow, 26> kTypes{{
    {DaoType::kBoolean, "Yes/No", "Bit", true, true},
    {DaoType::kByte, "Byte", "Byte", true, true},
    {DaoType::kInteger, "Integer", "Short", true, true},
    {DaoType::kLong, "Long Integer", "Long", true, true},
    {DaoType::kCurrency, "Currency", "Currency", true, true},
    {DaoType::kSingle, "Single", "IEEESingle", true, true},
    {DaoType::kDouble, "Double", "IEEEDouble", true, true},
    {DaoType::kDate, "Date/Time", "DateTime", true, true},
    {DaoType::kBinary, "Binary", "Binary", true, true},
    {DaoType::kText, "Text", "Text", true, true},
    {DaoType::kLongBinary, "OLE Object", "LongBinary", true, true},
    {DaoType::kMemo, "Memo", "LongText", true, true},
    {DaoType::kGuid, "Replication ID", "Guid", true, true},
    {DaoType::kBigInt, "Large Number", nullptr, false, false},
    {DaoType::kChar, "fixed-width Text", nullptr, false, false},
    {DaoType::kDecimal, "Decimal", nullptr, false, false},
    {DaoType::kDateTimeExtended, "extended Date/Time", nullptr, false, false},
    {DaoType::kAttachment, "Attachment", nullptr, false, true},
    {DaoType::kComplexByte, "multi-value Byte", nullptr, false, true},
    {DaoType::kComplexInteger, "multi-value Integer", nullptr, false, true},
    {DaoType::kComplexLong, "multi-value Long Integer", nullptr, false, true},
    {DaoType::kComplexSingle, "multi-value Single", nullptr, false, true},
    {DaoType::kComplexDouble, "multi-value Double", nullptr, false, true},
    {DaoType::kComplexGuid, "multi-value Replication ID", nullptr, false, true},
    {DaoType::kComplexDecimal, "multi-value Decimal", nullptr, false, false},
    {DaoType::kComplexText, "multi-value Text", nullptr, false, true},
}};

const TypeRow* Find(std::int32_t code) {
    for (const TypeRow& row : kTypes) {
        if (DaoCode(row.type) == code) {
            return &row;
        }
    }
    return nullptr;
}

}  // namespace

const char* SqlTypeName(std::int32_t daoCode) {
    const TypeRow* row = Find(daoCode);
    return row != nullptr ? row->sqlName : nullptr;
}

std::string DaoTypeName(DaoType type) {
    const TypeRow* row = Find(DaoCode(type));
    return row != nullptr ? row->name : "unknown type " + std::to_string(DaoCode(type));
}

bool DaoCreatesField(DaoType type, bool ace) {
    const TypeRow* row = Find(DaoCode(type));
    return row != nullptr && (ace ? row->aceCreates : row->jetCreates);
}

}  // namespace vt
