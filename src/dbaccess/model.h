#pragma once
// The DAO view of a database: the values the generator and the listing read,
// each collection in the order the engine yields it.

#include <cstdint>
#include <string>
#include <tuple>
#include <variant>
#include <vector>

#include "dbaccess/dao_type.h"

namespace vt {

// TableDef attribute bits.
namespace table_attr {
inline constexpr std::int32_t kSystemObject = static_cast<std::int32_t>(0x80000002u);
inline constexpr std::int32_t kAttachedTable = 0x40000000;
inline constexpr std::int32_t kAttachedOdbc = 0x20000000;
inline constexpr std::int32_t kHiddenObject = 0x00000001;
}  // namespace table_attr

// A stored property's value: Boolean, whole number, other number (Date as its
// double), or text (GUIDs in braces, binary values as hexadecimal digits).
using PropertyData = std::variant<bool, std::int64_t, double, std::string>;

// A property stored for an object beyond those its DAO members carry.
struct Property {
    std::string name;
    std::int16_t type = 0;  // DataTypeEnum
    PropertyData value;
    bool operator==(const Property&) const = default;
};

struct FieldDef {
    std::string name;
    DaoType type{};  // may hold a stored type byte DAO has no code for
    std::int32_t size = 0;
    std::int32_t attributes = 0;
    std::string defaultValue;
    std::int16_t ordinalPosition = 0;
    bool required = false;
    bool allowZeroLength = false;
    std::string validationRule;
    std::string validationText;
    std::string expression;  // a calculated field's expression (ACE); empty otherwise
    std::vector<Property> properties;

    bool operator==(const FieldDef&) const = default;
};

struct IndexDef {
    std::string name;
    bool primary = false;
    bool unique = false;
    bool clustered = false;
    bool ignoreNulls = false;
    bool required = false;
    bool foreign = false;
    std::vector<std::string> fields;
    std::vector<bool> descending;  // one per field: sorted descending (dbDescending)
    std::vector<Property> properties;

    bool Descending(std::size_t field) const {
        return field < descending.size() && descending[field];
    }
    // No sort orders and all ascending ones are the same index.
    bool operator==(const IndexDef& other) const {
        if (std::tie(name, primary, unique, clustered, ignoreNulls, required, foreign, fields,
                     properties) !=
            std::tie(other.name, other.primary, other.unique, other.clustered, other.ignoreNulls,
                     other.required, other.foreign, other.fields, other.properties)) {
            return false;
        }
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (Descending(i) != other.Descending(i)) {
                return false;
            }
        }
        return true;
    }
};

struct TableDef {
    std::string name;
    std::int32_t attributes = 0;
    std::string connect;
    std::string sourceTableName;
    std::vector<FieldDef> fields;
    std::vector<IndexDef> indexes;
    std::vector<Property> properties;

    bool IsSystem() const { return (attributes & table_attr::kSystemObject) != 0; }
    bool IsOdbcLinked() const { return (attributes & table_attr::kAttachedOdbc) != 0; }
    bool IsLinked() const { return (attributes & table_attr::kAttachedTable) != 0; }

    bool operator==(const TableDef&) const = default;
};

// QueryDef.Type values (QueryDefTypeEnum).
namespace query_type {
inline constexpr std::int32_t kSelect = 0;
inline constexpr std::int32_t kPassThrough = 112;       // dbQSQLPassThrough
inline constexpr std::int32_t kPassThroughBulk = 144;   // dbQSPTBulk: returns no records
}  // namespace query_type

struct QueryDef {
    QueryDef() = default;
    QueryDef(std::string queryName, std::string text)
        : name(std::move(queryName)), sql(std::move(text)) {}

    std::string name;
    std::string sql;
    std::int32_t type = query_type::kSelect;
    std::string connect;         // a pass-through query's ODBC connect string
    bool returnsRecords = true;  // false only for a pass-through query that returns none
    std::vector<Property> properties;

    bool IsPassThrough() const {
        return type == query_type::kPassThrough || type == query_type::kPassThroughBulk;
    }

    bool operator==(const QueryDef&) const = default;
};

struct RelationField {
    std::string name;
    std::string foreignName;

    bool operator==(const RelationField&) const = default;
};

struct Relation {
    std::string name;
    std::string table;
    std::string foreignTable;
    std::int32_t attributes = 0;
    std::vector<RelationField> fields;

    bool operator==(const Relation&) const = default;
};

// Database-wide values.
struct DatabaseInfo {
    std::string path;          // as coded into the module (gDatabasePath)
    std::string engine;        // "Jet3", "Jet4", "ACE12"…; informational
    int codePage = 1252;       // the module's default code page
    std::int32_t collatingOrder = 1033;
    std::vector<Property> properties;  // the database object's

    bool operator==(const DatabaseInfo&) const = default;
};

// A whole design held in memory: what a schema file holds.
struct Schema {
    DatabaseInfo info;
    std::vector<TableDef> tableDefs;
    std::vector<QueryDef> queryDefs;
    std::vector<Relation> relations;

    bool operator==(const Schema&) const = default;
};

}  // namespace vt
