#include "dbaccess/dao_type.h"

#include <array>
#include <utility>

namespace vt {

const char* SqlTypeName(std::int32_t daoCode) {
    static constexpr std::array<std::pair<DaoType, const char*>, 13> kNames{{
        {DaoType::kBoolean, "Bit"},
        {DaoType::kByte, "Byte"},
        {DaoType::kInteger, "Short"},
        {DaoType::kLong, "Long"},
        {DaoType::kCurrency, "Currency"},
        {DaoType::kSingle, "IEEESingle"},
        {DaoType::kDouble, "IEEEDouble"},
        {DaoType::kDate, "DateTime"},
        {DaoType::kBinary, "Binary"},
        {DaoType::kText, "Text"},
        {DaoType::kLongBinary, "LongBinary"},
        {DaoType::kMemo, "LongText"},
        {DaoType::kGuid, "Guid"},
    }};
    for (const auto& [type, name] : kNames) {
        if (DaoCode(type) == daoCode) {
            return name;
        }
    }
    return nullptr;
}

}  // namespace vt
