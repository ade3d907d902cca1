#pragma once
// The Jet reader's own view of an opened database: the DAO view plus the
// details the DAO view has no place for (query rows, index field order,
// raw column types, what could not be re-created).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/error.h"
#include "dbaccess/database.h"
#include "dbaccess/jet/jet_source.h"
#include "dbaccess/query/query_rows.h"

namespace vt::jet {

struct IndexFieldDetail {
    std::string name;
    bool descending = false;
};

struct IndexDetail {
    std::string name;
    std::vector<IndexFieldDetail> fields;
};

struct TableDetail {
    std::string name;
    std::int32_t objectType = 0;  // MSysObjects.Type: 1 local, 4 ODBC link, 6 other link
    std::int32_t flags = 0;       // MSysObjects.Flags as stored
    std::vector<std::uint8_t> rawColumnTypes;  // in field order
    std::vector<IndexDetail> indexes;          // in index order
};

struct Details {
    std::vector<TableDetail> tables;  // in TableDefs order
    std::vector<QueryDesign> queries;  // in QueryDefs order
    // Per query, in QueryDefs order: why its SQL text cannot be given, if so.
    std::vector<std::optional<ErrorRecord>> querySqlErrors;
    // Per table, in TableDefs order: why its definition cannot be read, if so.
    std::vector<std::optional<ErrorRecord>> tableErrors;
    // What the DAO view cannot carry or re-create, one sentence each.
    std::vector<std::string> notes;
};

class JetDatabase : public SchemaDatabase {
public:
    JetDatabase(Schema schema, Details details)
        : SchemaDatabase(std::move(schema)), details_(std::move(details)) {}
    const Details& details() const { return details_; }

    // Reading a query whose stored design gives no valid SQL fails, as the
    // engine's QueryDef.SQL did; its name stays readable for the listing.
    QueryDef QueryDefAt(std::size_t i) const override {
        if (i < details_.querySqlErrors.size() && details_.querySqlErrors[i]) {
            throw ErrorException(*details_.querySqlErrors[i]);
        }
        return SchemaDatabase::QueryDefAt(i);
    }
    std::string QueryDefNameAt(std::size_t i) const override { return schema().queryDefs.at(i).name; }

    // A table whose definition is damaged is listed, and fails where it is
    // read, as the engine's TableDef did.
    TableDef TableDefAt(std::size_t i) const override {
        FailIfDamaged(i);
        return SchemaDatabase::TableDefAt(i);
    }
    void VisitTableDef(std::size_t i, const std::function<void(const TableDef&)>& use) const override {
        FailIfDamaged(i);
        use(schema().tableDefs.at(i));
    }
    TableDef TableHeadAt(std::size_t i) const override {
        const TableDef& table = schema().tableDefs.at(i);
        TableDef head;  // without the fields and indexes, which cost a copy each
        head.name = table.name;
        head.attributes = table.attributes;
        head.connect = table.connect;
        head.sourceTableName = table.sourceTableName;
        return head;
    }
    std::vector<std::string> Notes() const override { return details_.notes; }

private:
    void FailIfDamaged(std::size_t i) const {
        if (i < details_.tableErrors.size() && details_.tableErrors[i]) {
            throw ErrorException(*details_.tableErrors[i]);
        }
    }

    Details details_;
};

// From this many tables on, a design's tables are read on two threads.
inline constexpr std::size_t kTablesForTwoThreads = 64;

// Reads a whole database from `source`. `path` only fills Info().path and
// names the file in errors. Throws ErrorException with the engine's numbers.
std::unique_ptr<JetDatabase> ReadJetDatabase(const PageSource& source, const std::string& path,
                                             const std::optional<std::string>& password,
                                             std::size_t tablesForTwoThreads = kTablesForTwoThreads);
// The same for a database held in memory.
std::unique_ptr<JetDatabase> ReadJetDatabase(const std::uint8_t* data, std::size_t size,
                                             const std::string& path,
                                             const std::optional<std::string>& password,
                                             std::size_t tablesForTwoThreads = kTablesForTwoThreads);

}  // namespace vt::jet
