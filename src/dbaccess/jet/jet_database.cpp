#include "dbaccess/jet/jet_database.h"


#include <algorithm>
#include <array>
#include <future>
#include <iterator>
#include <map>
#include <new>
#include <set>
#include <span>
#include <stdexcept>
#include <system_error>

#include "common/error.h"
#include "common/text.h"
#include "dbaccess/jet/jet_complex.h"
#include "dbaccess/jet/jet_file.h"
#include "dbaccess/jet/jet_props.h"
#include "dbaccess/jet/jet_reader.h"
#include "dbaccess/jet/jet_table.h"
#include "dbaccess/query/query_sql.h"

namespace vt {
namespace jet {
namespace {

constexpr std::uint32_t kCatalogPage = 2;
constexpr std::int32_t kTypeTable = 1;
constexpr std::int32_t kTypeDatabase = 2;
constexpr std::int32_t kTypeContainer = 3;
constexpr std::int32_t kTypeOdbcLink = 4;
constexpr std::int32_t kTypeQuery = 5;
constexpr std::int32_t kTypeLink = 6;

struct CatalogRow {
    std::int32_t id = 0;
    std::int32_t parentId = 0;
    std::string name;
    std::int32_t type = 0;
    std::int32_t flags = 0;
    std::vector<std::uint8_t> lvProp;
    std::string database;
    std::string connect;
    std::string foreignName;
};

// Properties the model carries in members of its own, so not again in its
// property lists.
constexpr std::string_view kCarried[] = {"DefaultValue", "Required", "AllowZeroLength",
                                         "ValidationRule", "ValidationText"};
constexpr std::string_view kCarriedByFields[] = {"DefaultValue",   "Required",       "AllowZeroLength",
                                                 "ValidationRule", "ValidationText", "Expression"};
enum FieldCarried {  // positions in kCarriedByFields
    kDefaultValue, kRequired, kAllowZeroLength, kValidationRule, kValidationText, kExpression
};
constexpr std::string_view kCarriedByQueries[] = {"DefaultValue",   "Required",       "AllowZeroLength",
                                                  "ValidationRule", "ValidationText", "ReturnsRecords"};

// Tables, links and queries: the objects of the list of tables.
bool IsDesignObject(std::int32_t type) {
    return type == kTypeTable || type == kTypeOdbcLink || type == kTypeLink || type == kTypeQuery;
}

// The database's own row, which holds the database's properties.
bool IsDatabaseRow(std::int32_t type, const std::string& name) {
    return type == kTypeDatabase && name == "MSysDb";
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() && SameName(text.substr(0, prefix.size()), prefix);
}

class Reader {
public:
    Reader(const JetFile& file, const TextDecoder& text) : file_(file), text_(text), rows_(file, text) {}

    void ForgetPages() const { file_.ForgetPages(); }
    const JetFile& file() const { return file_; }

    std::vector<CatalogRow> ReadCatalog() {
        const TableDefinition catalog = ReadTableDefinition(file_, text_, kCatalogPage);
        const Column* id = Need(catalog, "Id");
        const Column* parentId = Need(catalog, "ParentId");
        const Column* name = Need(catalog, "Name");
        const Column* type = Need(catalog, "Type");
        const Column* flags = Need(catalog, "Flags");
        const Column* lvProp = catalog.FindColumn("LvProp");
        const Column* database = catalog.FindColumn("Database");
        const Column* connect = catalog.FindColumn("Connect");
        const Column* foreignName = catalog.FindColumn("ForeignName");
        std::vector<CatalogRow> result;
        rows_.ForEachRow(catalog, [&](const std::vector<RowValue>& row) {
            CatalogRow entry;
            const auto rowId = rows_.Integer(id, row, catalog);
            const auto rowParent = rows_.Integer(parentId, row, catalog);
            const auto rowName = rows_.Text(name, row, catalog);
            const auto rowType = rows_.Integer(type, row, catalog);
            if (!rowId || !rowParent || !rowName || !rowType) {
                Damaged("a catalogue row lacks its id, parent, name or type");
            }
            entry.id = static_cast<std::int32_t>(*rowId);
            entry.parentId = static_cast<std::int32_t>(*rowParent);
            entry.name = *rowName;
            entry.type = static_cast<std::int32_t>(*rowType);
            const bool designObject = IsDesignObject(entry.type);
            if (designObject) {
                // Without its flags a system table would pass for a user's.
                const auto rowFlags = rows_.Integer(flags, row, catalog);
                if (!rowFlags) {
                    Damaged("the catalogue's row of '" + entry.name + "' lacks its flags");
                }
                entry.flags = static_cast<std::int32_t>(*rowFlags);
            }
            // Only tables, queries and the database's own row need the rest;
            // other objects can be large.
            if (designObject || IsDatabaseRow(entry.type, entry.name)) {
                entry.lvProp = rows_.Binary(lvProp, row, catalog).value_or(std::vector<std::uint8_t>{});
                entry.database = rows_.Text(database, row, catalog).value_or("");
                entry.connect = rows_.Text(connect, row, catalog).value_or("");
                entry.foreignName = rows_.Text(foreignName, row, catalog).value_or("");
            }
            result.push_back(std::move(entry));
        });
        return result;
    }

    // Reads a local table definition into `table` and `detail`.
    void ReadTable(std::uint32_t page, TableDef& table, TableDetail& detail,
                   const PropertyBlob& properties, const ComplexColumns& complex,
                   std::vector<std::string>& notes) {
        const TableDefinition definition = ReadTableDefinition(file_, text_, page);
        table.properties = DaoProperties(&properties.table, text_, kCarried);
        const std::set<std::string> hidden = ReadFields(definition, table, detail, properties, complex, notes);
        ReadIndexes(definition, hidden, table, detail);
    }

    ComplexColumns ReadComplex(std::uint32_t page) const {
        return ReadComplexColumns(file_, text_, rows_, page);
    }

    std::vector<Relation> ReadRelations(std::uint32_t page) {
        const TableDefinition def = ReadTableDefinition(file_, text_, page);
        const Column* name = Need(def, "szRelationship");
        const Column* grbit = def.FindColumn("grbit");
        const Column* icolumn = def.FindColumn("icolumn");
        const Column* object = Need(def, "szObject");
        const Column* column = Need(def, "szColumn");
        const Column* refObject = Need(def, "szReferencedObject");
        const Column* refColumn = Need(def, "szReferencedColumn");
        struct Pair {
            std::int64_t position;
            RelationField field;
        };
        std::map<std::string, std::pair<Relation, std::vector<Pair>>> byName;
        rows_.ForEachRow(def, [&](const std::vector<RowValue>& row) {
            const std::string relationName = rows_.Text(name, row, def).value_or("");
            auto& [relation, pairs] = byName[relationName];
            if (pairs.empty()) {
                relation.name = relationName;
                relation.table = rows_.Text(refObject, row, def).value_or("");
                relation.foreignTable = rows_.Text(object, row, def).value_or("");
                relation.attributes = static_cast<std::int32_t>(rows_.Integer(grbit, row, def).value_or(0));
            }
            pairs.push_back(Pair{rows_.Integer(icolumn, row, def).value_or(0),
                                 RelationField{rows_.Text(refColumn, row, def).value_or(""),
                                               rows_.Text(column, row, def).value_or("")}});
        });
        std::vector<Relation> relations;
        for (auto& [key, entry] : byName) {
            auto& [relation, pairs] = entry;
            std::stable_sort(pairs.begin(), pairs.end(),
                             [](const Pair& a, const Pair& b) { return a.position < b.position; });
            for (Pair& pair : pairs) {
                relation.fields.push_back(std::move(pair.field));
            }
            relations.push_back(std::move(relation));
        }
        return relations;
    }

    std::map<std::int32_t, std::vector<QueryRow>> ReadQueryRows(std::uint32_t page) {
        const TableDefinition def = ReadTableDefinition(file_, text_, page);
        const Column* attribute = Need(def, "Attribute");
        const Column* expression = def.FindColumn("Expression");
        const Column* flag = def.FindColumn("Flag");
        const Column* lvExtra = def.FindColumn("LvExtra");
        const Column* name1 = def.FindColumn("Name1");
        const Column* name2 = def.FindColumn("Name2");
        const Column* objectId = Need(def, "ObjectId");
        const Column* order = def.FindColumn("Order");
        std::map<std::int32_t, std::vector<QueryRow>> result;
        rows_.ForEachRow(def, [&](const std::vector<RowValue>& row) {
            QueryRow entry;
            entry.attribute = static_cast<std::int32_t>(rows_.Integer(attribute, row, def).value_or(0));
            entry.expression = rows_.Text(expression, row, def);
            entry.flag = static_cast<std::int32_t>(rows_.Integer(flag, row, def).value_or(0));
            if (const auto extra = rows_.Integer(lvExtra, row, def)) {
                entry.lvExtra = static_cast<std::int32_t>(*extra);
            }
            entry.name1 = rows_.Text(name1, row, def);
            entry.name2 = rows_.Text(name2, row, def);
            entry.objectId = static_cast<std::int32_t>(rows_.Integer(objectId, row, def).value_or(0));
            entry.order = rows_.Binary(order, row, def).value_or(std::vector<std::uint8_t>{});
            result[entry.objectId].push_back(std::move(entry));
        });
        return result;
    }

private:
    // Fields in collection order: by OrdinalPosition, then name. Returns the
    // columns the engine keeps for itself, which DAO does not list.
    std::set<std::string> ReadFields(const TableDefinition& definition, TableDef& table,
                                     TableDetail& detail, const PropertyBlob& properties,
                                     const ComplexColumns& complex,
                                     std::vector<std::string>& notes) const {
        std::vector<const Column*> order;
        for (const Column& column : definition.columns) {
            order.push_back(&column);
        }
        std::stable_sort(order.begin(), order.end(), [](const Column* a, const Column* b) {
            if (a->ordinal != b->ordinal) {
                return a->ordinal < b->ordinal;
            }
            return CompareNames(a->name, b->name) < 0;
        });
        std::set<std::string> hidden;
        table.fields.reserve(order.size());
        for (const Column* column : order) {
            const PropertyMap* props = properties.Column(column->name);
            FieldDef field = ReadField(*column, props);
            const ComplexColumn kind = ComplexKindOf(*column, complex);
            if (kind.kind == ComplexKind::kVersionHistory) {
                notes.push_back("Table '" + table.name + "', field '" + column->name +
                                "' keeps the version history of an append-only memo field; the "
                                "history is not re-created.");
                hidden.insert(column->name);
                continue;
            }
            if (kind.kind != ComplexKind::kUnknown) {
                field.type = kind.dao;
            }
            if (!table.IsSystem()) {
                NoteWhatDaoCannotCreate(table.name, field, *column, notes);
            }
            table.fields.push_back(std::move(field));
            detail.rawColumnTypes.push_back(column->type);
        }
        return hidden;
    }

    ComplexColumn ComplexKindOf(const Column& column, const ComplexColumns& complex) const {
        if (column.type != coltype::kComplex || !file_.IsAce()) {
            return {};
        }
        const auto found = complex.find(column.complexId);
        return found == complex.end() ? ComplexColumn{} : found->second;
    }

    FieldDef ReadField(const Column& column, const PropertyMap* props) const {
        FieldDef field;
        field.name = column.name;
        FieldShape shape = MapFieldDesign(column.Shape(), text_.Jet3());
        std::array<const PropertyValue*, std::size(kCarriedByFields)> carried{};
        field.properties = DaoProperties(props, text_, kCarriedByFields, carried);
        field.defaultValue = PropertyText(carried[kDefaultValue], text_);
        field.required = PropertyBool(carried[kRequired]);
        field.allowZeroLength = PropertyBool(carried[kAllowZeroLength]);
        field.validationRule = PropertyText(carried[kValidationRule], text_);
        field.validationText = PropertyText(carried[kValidationText], text_);
        field.expression = PropertyText(carried[kExpression], text_);
        if (!field.expression.empty()) {
            ReportCalculatedResult(shape);
        }
        field.type = shape.type;
        field.size = shape.size;
        field.attributes = shape.attributes;
        field.ordinalPosition = static_cast<std::int16_t>(column.ordinal);
        return field;
    }

    void NoteWhatDaoCannotCreate(const std::string& table, const FieldDef& field,
                                 const Column& column, std::vector<std::string>& notes) const {
        if (!DaoCreatesField(field.type, file_.IsAce())) {
            const std::string type = LookupStoredType(column.type).dao == field.type
                                         ? StoredTypeName(column.type)
                                         : "the " + DaoTypeName(field.type) + " type";
            notes.push_back("Table '" + table + "', field '" + field.name + "' has " + type +
                            ", which DAO cannot create; the module leaves it out.");
        } else if (!field.expression.empty()) {
            notes.push_back("Table '" + table + "', field '" + field.name +
                            "' is a calculated field; only the full design re-creates its expression.");
        }
    }

    // Every logical index in stored order, its fields through its real index;
    // those on columns the engine keeps for itself are its own too.
    static void ReadIndexes(const TableDefinition& definition, const std::set<std::string>& hidden,
                            TableDef& table, TableDetail& detail) {
        for (const LogicalIndex& logical : definition.logicalIndexes) {
            const RealIndex& real = definition.realIndexes[logical.realIndex];
            if (UsesHiddenColumn(definition, real, hidden)) {
                continue;
            }
            IndexDef index;
            IndexDetail indexDetail;
            index.name = logical.name;
            indexDetail.name = logical.name;
            index.primary = logical.type == 1;
            index.foreign = logical.type == 2;
            index.unique = (real.flags & 0x01) != 0;
            index.ignoreNulls = (real.flags & 0x02) != 0;
            index.required = (real.flags & 0x08) != 0;
            for (const IndexColumn& slot : real.columns) {
                const Column* column = definition.ColumnByNumber(slot.columnNumber);
                if (column == nullptr) {
                    Damaged("an index names a column that the table does not have");
                }
                index.fields.push_back(column->name);
                index.descending.push_back(slot.descending);
                indexDetail.fields.push_back(IndexFieldDetail{column->name, slot.descending});
            }
            table.indexes.push_back(std::move(index));
            detail.indexes.push_back(std::move(indexDetail));
        }
    }

    static bool UsesHiddenColumn(const TableDefinition& definition, const RealIndex& real,
                                 const std::set<std::string>& hidden) {
        for (const IndexColumn& slot : real.columns) {
            const Column* column = definition.ColumnByNumber(slot.columnNumber);
            if (column != nullptr && hidden.count(column->name) != 0) {
                return true;
            }
        }
        return false;
    }

    static const Column* Need(const TableDefinition& def, std::string_view name) {
        const Column* column = def.FindColumn(name);
        if (column == nullptr) {
            Damaged("a system table lacks its column '" + std::string(name) + "'");
        }
        return column;
    }

    const JetFile& file_;
    const TextDecoder& text_;
    RowReader rows_;
};

std::string StoredPassword(const JetFile& file, const TextDecoder& text) {
    const std::vector<std::uint8_t>& raw = file.PasswordBytes();
    if (file.IsJet3()) {
        std::size_t length = 0;
        while (length < raw.size() && raw[length] != 0) {
            ++length;
        }
        return text.Decode(Bytes(raw.data(), length));
    }
    std::size_t length = 0;
    while (length + 1 < raw.size() && (raw[length] != 0 || raw[length + 1] != 0)) {
        length += 2;
    }
    return Utf16ToUtf8(Bytes(raw.data(), length));
}

void CheckPassword(JetFile& file, const TextDecoder& text,
                   const std::optional<std::string>& password) {
    if (file.OfficeEncrypted()) {
        // A damaged description is reported as such, password or not, so
        // nobody is asked for the password of a file that cannot be read.
        const OfficeEncryption encryption = ReadOfficeEncryption(file.Page(0));
        if (!password.has_value() || password->empty()) {
            throw ErrorException(err::kEngineBadPassword, "Not a valid password.", kEngineSource);
        }
        file.UnlockOffice(encryption, *password);
        return;
    }
    const std::string stored = StoredPassword(file, text);
    if (!stored.empty() && (!password.has_value() || *password != stored)) {
        throw ErrorException(err::kEngineBadPassword, "Not a valid password.", kEngineSource);
    }
}

// The container every table and query belongs to; the catalogue's own
// table is always among them, so a list without it is a damaged one.
std::int32_t TablesContainerId(const std::vector<CatalogRow>& catalog) {
    for (const CatalogRow& row : catalog) {
        if (row.type == kTypeContainer && row.name == "Tables") {
            for (const CatalogRow& child : catalog) {
                if (child.parentId == row.id && child.type == kTypeTable && child.name == "MSysObjects") {
                    return row.id;
                }
            }
            Damaged("the catalogue's list of tables does not hold the catalogue itself");
        }
    }
    Damaged("the catalogue has no list of tables");
}

// Whether the object's own property `name` is stored as False.
bool StoredFalse(const CatalogRow& row, const TextDecoder& text, std::string_view name) {
    if (row.lvProp.empty()) {
        return false;
    }
    const PropertyBlob blob = ParsePropertyBlob(row.lvProp, text);
    const PropertyValue* found = blob.table.Find(name);
    return found != nullptr && !found->data.empty() && found->data.U8(0) == 0;
}

// The properties an object's catalogue row stores for the object itself.
std::vector<Property> ObjectProperties(const CatalogRow& row, const TextDecoder& text,
                                       std::span<const std::string_view> carried) {
    if (row.lvProp.empty()) {
        return {};
    }
    const PropertyBlob blob = ParsePropertyBlob(row.lvProp, text);
    return DaoProperties(&blob.table, text, carried);
}

// A table's DAO attributes, and for a linked one its Connect and source.
TableDef TableFromCatalogue(const CatalogRow& row) {
    TableDef table;
    table.name = row.name;
    table.attributes = row.flags & static_cast<std::int32_t>(0x80000002u);
    if ((row.flags & 0x9) != 0) {
        table.attributes |= table_attr::kHiddenObject;
    }
    if (row.type == kTypeLink) {
        table.attributes |= table_attr::kAttachedTable;
        table.connect = row.connect + ";DATABASE=" + row.database;
        table.sourceTableName = row.foreignName;
    } else if (row.type == kTypeOdbcLink) {
        table.attributes |= table_attr::kAttachedOdbc;
        table.connect = StartsWithNoCase(row.connect, "ODBC;") ? row.connect : "ODBC;" + row.connect;
        table.sourceTableName = row.foreignName;
    }
    return table;
}

struct TableRead {
    TableDef table;
    TableDetail detail;
    std::optional<ErrorRecord> error;
    const std::string& name() const { return table.name; }
};

// The user-visible objects of the catalogue, before they are sorted.
struct Objects {
    std::vector<TableRead> tables;
    std::vector<std::pair<QueryDef, QueryDesign>> queries;
    std::optional<std::uint32_t> relationshipsPage;
    std::optional<std::uint32_t> queriesPage;
    std::vector<Property> databaseProperties;
    std::vector<std::string> notes;
};

// A table's definition page: its catalogue id without the kind in its top byte.
std::uint32_t DefinitionPage(const CatalogRow& row) {
    return static_cast<std::uint32_t>(row.id) & 0x00FFFFFFu;
}

// Where the relationships and the queries' design are kept.
void NoteSystemTable(const CatalogRow& row, Objects& objects) {
    const std::uint32_t page = DefinitionPage(row);
    if (row.type == kTypeTable && row.name == "MSysRelationships") {
        objects.relationshipsPage = page;
    }
    if (row.type == kTypeTable && row.name == "MSysQueries") {
        objects.queriesPage = page;
    }
}

void AddTable(Reader& reader, const TextDecoder& text, const CatalogRow& row,
              const ComplexColumns& complex, Objects& objects) {
    const std::uint32_t page = DefinitionPage(row);
    TableDef table = TableFromCatalogue(row);
    TableDetail detail;
    detail.name = row.name;
    detail.objectType = row.type;
    detail.flags = row.flags;
    // A Jet-linked table's fields live in the other database. A table whose
    // own definition is damaged is kept with its error, as the engine opens
    // such a file and fails only at that table.
    std::optional<ErrorRecord> error;
    if (row.type != kTypeLink) {
        try {
            PropertyBlob properties;
            if (!row.lvProp.empty()) {
                properties = ParsePropertyBlob(row.lvProp, text);
            }
            reader.ReadTable(page, table, detail, properties, complex, objects.notes);
        } catch (const ErrorException& e) {
            if (e.number() != err::kEngineDamaged) {
                throw;
            }
            error = ErrorRecord{err::kEngineDamaged,
                                "The definition of table '" + row.name + "' is damaged (" +
                                    e.record().description + ").",
                                kEngineSource};
            objects.notes.push_back("Table '" + row.name + "' cannot be read: its definition is damaged (" +
                                    e.record().description + ").");
            table.fields.clear();
            table.indexes.clear();
        }
    }
    objects.tables.push_back(TableRead{std::move(table), std::move(detail), std::move(error)});
}

// What the complex columns of an ACE file are; none in a Jet file.
ComplexColumns ReadComplex(Reader& reader, const std::vector<CatalogRow>& catalog,
                           std::int32_t tablesId) {
    for (const CatalogRow& row : catalog) {
        if (row.parentId == tablesId && row.type == kTypeTable && row.name == "MSysComplexColumns") {
            return reader.ReadComplex(DefinitionPage(row));
        }
    }
    return {};
}

void ReadTablesWith(Reader& reader, const TextDecoder& text, std::span<const CatalogRow* const> rows,
                    const ComplexColumns& complex, Objects& objects) {
    for (const CatalogRow* row : rows) {
        AddTable(reader, text, *row, complex, objects);
        reader.ForgetPages();  // the table is copied out of them
    }
}

// What a second reader of the tables needs.
struct TableReading {
    const PageSource& source;
    int codePage;
    std::size_t tablesForTwoThreads;
};

// Reads the tables of `rows` into `objects` in their order. A large design
// is read on two threads, each with a reader of its own (pages, text
// decoder and damage bounds are per reader), and the halves are joined in
// order: the result, and the error that stops the read, are those of one
// thread reading every table. An Office-encrypted file is read on one, as
// a second reader would have to derive its key again.
void ReadTables(const TableReading& how, Reader& reader, const TextDecoder& text,
                std::span<const CatalogRow* const> rows, const ComplexColumns& complex,
                Objects& objects) {
    if (rows.size() < how.tablesForTwoThreads || reader.file().OfficeEncrypted()) {
        ReadTablesWith(reader, text, rows, complex, objects);
        return;
    }
    const std::size_t half = rows.size() / 2;
    std::future<Objects> second;
    try {
        second = std::async(std::launch::async, [&how, &complex, rest = rows.subspan(half)] {
            const JetFile file(how.source);
            const TextDecoder text(file.IsJet3(), how.codePage);
            Reader reader(file, text);
            Objects part;
            ReadTablesWith(reader, text, rest, complex, part);
            return part;
        });
    } catch (const std::system_error&) {
        ReadTablesWith(reader, text, rows, complex, objects);  // no thread to be had
        return;
    }
    ReadTablesWith(reader, text, rows.first(half), complex, objects);  // on failure, waits for the other
    Objects part = second.get();
    std::move(part.tables.begin(), part.tables.end(), std::back_inserter(objects.tables));
    std::move(part.notes.begin(), part.notes.end(), std::back_inserter(objects.notes));
}

Objects CollectObjects(const TableReading& how, Reader& reader, const TextDecoder& text) {
    const std::vector<CatalogRow> catalog = reader.ReadCatalog();
    const std::int32_t tablesId = TablesContainerId(catalog);
    const ComplexColumns complex = ReadComplex(reader, catalog, tablesId);
    Objects objects;
    // Read once the catalogue is walked: a damaged catalogue fails first.
    std::vector<const CatalogRow*> tableRows;
    for (const CatalogRow& row : catalog) {
        if (IsDatabaseRow(row.type, row.name)) {
            objects.databaseProperties = ObjectProperties(row, text, kCarried);
        }
        // Tables, links and queries, and nothing else, belong to the list of
        // tables: a row that breaks this has lost its parent or its kind.
        const bool designObject = IsDesignObject(row.type);
        if (designObject != (row.parentId == tablesId)) {
            Damaged(designObject
                        ? "the catalogue's '" + row.name + "' lies outside its list of tables"
                        : "the catalogue's list of tables holds '" + row.name +
                              "', an object of an unknown kind");
        }
        if (row.parentId != tablesId) {
            continue;
        }
        if (row.type == kTypeQuery) {
            QueryDef query;
            query.name = row.name;
            query.returnsRecords = !StoredFalse(row, text, "ReturnsRecords");
            query.properties = ObjectProperties(row, text, kCarriedByQueries);
            objects.queries.emplace_back(std::move(query), QueryDesign{row.name, row.id, row.flags, {}});
        } else if (row.type == kTypeTable || row.type == kTypeOdbcLink || row.type == kTypeLink) {
            NoteSystemTable(row, objects);
            tableRows.push_back(&row);
        }
    }
    ReadTables(how, reader, text, tableRows, complex, objects);
    return objects;
}

void AttachQueryRows(Reader& reader, Objects& objects) {
    if (!objects.queriesPage || objects.queries.empty()) {
        return;
    }
    auto rows = reader.ReadQueryRows(*objects.queriesPage);
    for (auto& [query, design] : objects.queries) {
        if (auto found = rows.find(design.id); found != rows.end()) {
            design.rows = std::move(found->second);
        }
    }
}

// Collection order: by name, case-insensitively.
void SortByName(std::vector<TableRead>& tables) {
    std::stable_sort(tables.begin(), tables.end(), [](const TableRead& a, const TableRead& b) {
        return CompareNames(a.name(), b.name()) < 0;
    });
}

void SortByName(std::vector<std::pair<QueryDef, QueryDesign>>& queries) {
    std::stable_sort(queries.begin(), queries.end(), [](const auto& a, const auto& b) {
        return CompareNames(a.first.name, b.first.name) < 0;
    });
}

// Each query's SQL is rebuilt now; a design that gives none keeps its
// error, raised where its SQL is read.
void AddQueries(std::vector<std::pair<QueryDef, QueryDesign>>& queries, QueryDialect dialect,
                Schema& schema, Details& details) {
    for (auto& [query, design] : queries) {
        std::optional<ErrorRecord> sqlError;
        try {
            query.sql = BuildQuerySql(design, dialect);
        } catch (const ErrorException& e) {
            sqlError = e.record();
        }
        query.type = QueryDefType(design);
        query.connect = PassThroughConnect(design);
        if (!query.IsPassThrough()) {
            query.returnsRecords = true;
        } else if (!query.returnsRecords || query.type == query_type::kPassThroughBulk) {
            query.type = query_type::kPassThroughBulk;
            query.returnsRecords = false;
        }
        schema.queryDefs.push_back(std::move(query));
        details.queries.push_back(std::move(design));
        details.querySqlErrors.push_back(std::move(sqlError));
    }
}

std::unique_ptr<JetDatabase> ReadAll(const PageSource& source, const std::string& path,
                                     const std::optional<std::string>& password,
                                     std::size_t tablesForTwoThreads) {
    JetFile file(source);
    const int codePage = file.HeaderCodePage() == 0 ? 1252 : file.HeaderCodePage();
    const TextDecoder text(file.IsJet3(), codePage);
    CheckPassword(file, text, password);

    Reader reader(file, text);
    Objects objects = CollectObjects(TableReading{source, codePage, tablesForTwoThreads}, reader, text);

    Schema schema;
    schema.info = DatabaseInfo{path, file.EngineName(), codePage, file.SortOrder(),
                               std::move(objects.databaseProperties)};
    Details details;
    details.notes = std::move(objects.notes);
    if (objects.relationshipsPage) {
        schema.relations = reader.ReadRelations(*objects.relationshipsPage);
    }
    AttachQueryRows(reader, objects);
    SortByName(objects.tables);
    SortByName(objects.queries);
    std::stable_sort(schema.relations.begin(), schema.relations.end(),
                     [](const Relation& a, const Relation& b) { return CompareNames(a.name, b.name) < 0; });
    for (TableRead& read : objects.tables) {
        if (read.error) {
            read.error->description = "'" + path + "': " + read.error->description;
        }
        schema.tableDefs.push_back(std::move(read.table));
        details.tables.push_back(std::move(read.detail));
        details.tableErrors.push_back(std::move(read.error));
    }
    AddQueries(objects.queries, file.IsAce() ? QueryDialect::Ace : QueryDialect::Jet, schema,
               details);
    return std::make_unique<JetDatabase>(std::move(schema), std::move(details));
}

// Errors name the file; a database read from standard input has no path.
[[noreturn]] void Rethrow(const ErrorException& error, const std::string& path) {
    const std::string& what = error.record().description;
    const std::string file = path.empty() ? "standard input" : "'" + path + "'";
    switch (error.number()) {
        case err::kEngineDamaged:
            throw ErrorException(err::kEngineDamaged,
                                 "The database " + file + " is damaged and cannot be read (" + what + ").",
                                 kEngineSource);
        case err::kEngineUnrecognisedFormat:
            throw ErrorException(err::kEngineUnrecognisedFormat,
                                 file + " is not a database this program can read (" + what + ").",
                                 kEngineSource);
        case err::kEngineBadPassword:
            throw ErrorException(err::kEngineBadPassword, file + ": " + what, kEngineSource);
        default:
            throw error;
    }
}

}  // namespace

std::unique_ptr<JetDatabase> ReadJetDatabase(const PageSource& source, const std::string& path,
                                             const std::optional<std::string>& password,
                                             std::size_t tablesForTwoThreads) {
    try {
        try {
            return ReadAll(source, path, password, tablesForTwoThreads);
        } catch (const std::bad_alloc&) {
            Damaged("a structure is impossibly large");
        } catch (const std::length_error&) {
            Damaged("a structure is impossibly large");
        }
    } catch (const ErrorException& error) {
        Rethrow(error, path);
    }
}

std::unique_ptr<JetDatabase> ReadJetDatabase(const std::uint8_t* data, std::size_t size,
                                             const std::string& path,
                                             const std::optional<std::string>& password,
                                             std::size_t tablesForTwoThreads) {
    const MemorySource source(Bytes(data, size));
    return ReadJetDatabase(source, path, password, tablesForTwoThreads);
}

}  // namespace jet

std::unique_ptr<Database> OpenJetDatabase(const std::string& absolutePath,
                                          const std::optional<std::string>& password) {
    const jet::FileSource file(absolutePath);
    return jet::ReadJetDatabase(file, absolutePath, password);
}

}  // namespace vt
