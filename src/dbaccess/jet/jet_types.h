#pragma once
// Column types as a Jet or ACE file stores them, and what each one is in
// DAO: one table row per stored type byte.

#include <cstdint>
#include <string>

#include "dbaccess/dao_type.h"

namespace vt::jet {

// Column type bytes the reader decodes itself.
namespace coltype {
inline constexpr std::uint8_t kBoolean = 0x01;
inline constexpr std::uint8_t kByte = 0x02;
inline constexpr std::uint8_t kInteger = 0x03;
inline constexpr std::uint8_t kLong = 0x04;
inline constexpr std::uint8_t kCurrency = 0x05;
inline constexpr std::uint8_t kSingle = 0x06;
inline constexpr std::uint8_t kDouble = 0x07;
inline constexpr std::uint8_t kDate = 0x08;
inline constexpr std::uint8_t kText = 0x0A;
inline constexpr std::uint8_t kOle = 0x0B;
inline constexpr std::uint8_t kMemo = 0x0C;
inline constexpr std::uint8_t kGuid = 0x0F;
inline constexpr std::uint8_t kDecimal = 0x10;
inline constexpr std::uint8_t kComplex = 0x12;
}  // namespace coltype

// How Field.Size follows from the stored length.
enum class SizeRule {
    kStoredLength,  // bytes of storage
    kCharacters,    // text: characters (Jet 4 and ACE store two bytes each)
    kZero,          // long values
    kDecimal,       // DAO reports 16
};

struct StoredType {
    std::uint8_t stored = 0;
    DaoType dao{};  // Field.Type; the stored byte itself where DAO has no code
    SizeRule size = SizeRule::kStoredLength;
};

// The row for a stored type byte; unknown bytes get a row of their own.
StoredType LookupStoredType(std::uint8_t stored);
// The type as a note names it ("the Memo type").
std::string StoredTypeName(std::uint8_t stored);

// A stored column as its descriptor gives it.
struct ColumnShape {
    std::uint8_t type = 0;
    std::uint8_t flags = 0;
    std::uint16_t length = 0;
};

// What DAO reports for it.
struct FieldShape {
    DaoType type{};
    std::int32_t size = 0;
    std::int32_t attributes = 0;
};

FieldShape MapFieldDesign(const ColumnShape& column, bool jet3);

// A calculated column stores its result in a variable-length wrapper; DAO
// reports a fixed-size result type with that type's own size.
void ReportCalculatedResult(FieldShape& field);

}  // namespace vt::jet
