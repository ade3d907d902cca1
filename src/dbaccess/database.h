#pragma once
// The engine interface: an open database whose values are read one object at
// a time, in collection order, at the moment they are needed. A read that
// fails throws ErrorException with the engine's error number.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dbaccess/model.h"

namespace vt {

class Database {
public:
    virtual ~Database() = default;

    virtual DatabaseInfo Info() const = 0;
    virtual std::int32_t CollatingOrder() const { return Info().collatingOrder; }

    virtual std::size_t TableDefCount() const = 0;
    virtual TableDef TableDefAt(std::size_t index) const = 0;
    // Hands table `index`'s definition to `use`: without a copy where the
    // database holds it whole, else as TableDefAt reads it. Writing a large
    // design, the copies cost a twentieth of the time.
    virtual void VisitTableDef(std::size_t index, const std::function<void(const TableDef&)>& use) const {
        use(TableDefAt(index));
    }
    // The name and attributes alone: they can be read even where the
    // table's definition cannot.
    virtual TableDef TableHeadAt(std::size_t index) const { return TableDefAt(index); }
    virtual std::size_t QueryDefCount() const = 0;
    virtual QueryDef QueryDefAt(std::size_t index) const = 0;
    // The name alone: it can be read even where the query's SQL cannot.
    virtual std::string QueryDefNameAt(std::size_t index) const { return QueryDefAt(index).name; }
    virtual std::size_t RelationCount() const = 0;
    virtual Relation RelationAt(std::size_t index) const = 0;

    // What the design holds that DAO cannot re-create (a column type it has
    // no code for, a calculated field), one sentence each.
    virtual std::vector<std::string> Notes() const { return {}; }
};

// A database whose design is held in memory (a schema file, or a snapshot).
class SchemaDatabase : public Database {
public:
    explicit SchemaDatabase(Schema schema) : schema_(std::move(schema)) {}

    const Schema& schema() const { return schema_; }

    DatabaseInfo Info() const override { return schema_.info; }
    std::size_t TableDefCount() const override { return schema_.tableDefs.size(); }
    TableDef TableDefAt(std::size_t i) const override { return schema_.tableDefs.at(i); }
    std::size_t QueryDefCount() const override { return schema_.queryDefs.size(); }
    QueryDef QueryDefAt(std::size_t i) const override { return schema_.queryDefs.at(i); }
    std::size_t RelationCount() const override { return schema_.relations.size(); }
    Relation RelationAt(std::size_t i) const override { return schema_.relations.at(i); }

private:
    Schema schema_;
};

// Reads every value of `database` into memory.
Schema SnapshotSchema(const Database& database);

}  // namespace vt
