#include "generator/sections.h"

#include <optional>

#include "common/text.h"
#include "generator/design_properties.h"

namespace vt {
namespace {

std::string Quoted(std::string_view name) { return std::string("\"").append(name).append("\""); }

bool Creates(const Run& run, const FieldDef& field) { return DaoCreatesField(field.type, run.ace); }

const FieldDef* FindField(const TableDef& table, std::string_view name) {
    for (const FieldDef& field : table.fields) {
        if (SameName(field.name, name)) {
            return &field;
        }
    }
    return nullptr;
}

bool IsComplex(DaoType type) { return DaoCode(type) >= DaoCode(DaoType::kAttachment); }

// Why an index cannot be added: a field it needs is not created, or the
// engine makes the index itself with a complex field.
std::optional<std::string> IndexLeftOut(const Run& run, const TableDef& table, const IndexDef& index) {
    for (const std::string& name : index.fields) {
        const FieldDef* field = FindField(table, name);
        if (field == nullptr || !Creates(run, *field)) {
            return "Index " + Quoted(index.name) + " is left out: its field " + Quoted(name) +
                   " is not created.";
        }
        if (IsComplex(field->type)) {
            return "Index " + Quoted(index.name) + " is left out: the engine makes it with the field " +
                   Quoted(name) + ".";
        }
    }
    return std::nullopt;
}

void WriteFieldBlock(Run& run, const FieldDef& field) {
    Printer& p = run.p;
    if (!field.expression.empty() && !run.fullDesign) {
        run.Comment("Field " + Quoted(field.name) +
                    " is calculated: it is created as a plain field, without its expression.");
    }
    p.Print("With zField\n");
    p.Indent();
    run.Statement(".fdName = $name$", {{"name", run.Lit(field.name)}});
    p.Print(".fdType = $type$\n"
            ".fdSize = $size$\n",
            {{"type", DaoCode(field.type)}, {"size", field.size}});
    if (field.allowZeroLength) {
        p.Print(".fdAllowZeroLength = True\n");
    }
    if (field.attributes != 0) {
        p.Print(".fdAttributes = $value$\n", {{"value", field.attributes}});
    }
    if (!field.defaultValue.empty()) {
        run.Statement(".fdDefaultValue = $value$", {{"value", run.Lit(field.defaultValue)}});
    }
    p.Print(".fdOrdinalPosition = $value$\n", {{"value", field.ordinalPosition}});
    if (field.required) {
        p.Print(".fdRequired = True\n");
    }
    if (!field.validationRule.empty()) {
        run.Statement(".fdValidationRule = $value$", {{"value", run.Lit(field.validationRule)}});
    }
    if (!field.validationText.empty()) {
        run.Statement(".fdValidationText = $value$", {{"value", run.Quote(field.validationText)}});
    }
    if (run.fullDesign && !field.expression.empty()) {
        run.Statement(".fdExpression = $value$", {{"value", run.Quote(field.expression)}});
    }
    p.Outdent();
    p.Print("End With\n"
            "CreateField myTable, zField\n"
            "\n");
}

void WriteIndexBlock(Run& run, const IndexDef& index) {
    Printer& p = run.p;
    p.Print("ReDim zIndex.idFieldName(1 To $n$)\n", {{"n", index.fields.size()}});
    if (run.fullDesign) {
        p.Print("ReDim zIndex.idDescending(1 To $n$)\n", {{"n", index.fields.size()}});
    }
    if (!run.indexInitialised) {
        if (run.high) {
            p.Print("' idFieldName() has been initialized and\n"
                    "' noted at this one spot.\n");
        }
        p.Print("zIndex.idInitialized = True\n");
        run.indexInitialised = true;
    }
    p.Print("With zIndex\n");
    p.Indent();
    run.Statement(".idName = $name$", {{"name", run.Lit(index.name)}});
    const std::pair<bool, const char*> flags[] = {
        {index.clustered, ".idClustered = True\n"}, {index.ignoreNulls, ".idIgnoreNulls = True\n"},
        {index.primary, ".idPrimary = True\n"},     {index.required, ".idRequired = True\n"},
        {index.unique, ".idUnique = True\n"},
    };
    for (const auto& [set, line] : flags) {
        if (set) {
            p.Print(line);
        }
    }
    for (std::size_t i = 0; i < index.fields.size(); ++i) {
        run.Statement(".idFieldName($i$) = $name$", {{"i", i + 1}, {"name", run.Lit(index.fields[i])}});
        if (run.fullDesign && index.Descending(i)) {
            p.Print(".idDescending($i$) = True\n", {{"i", i + 1}});
        }
    }
    p.Outdent();
    p.Print("End With\n"
            "AddIndex myTable, zIndex\n"
            "\n");
}

// The fields of a local table, a left-out one as a comment where it stood.
std::vector<std::string> WriteFields(Run& run, const TableDef& table) {
    std::vector<std::string> leftOut;
    for (const FieldDef& field : table.fields) {
        run.Boundary(false);
        if (Creates(run, field)) {
            WriteFieldBlock(run, field);
            continue;
        }
        run.Comment("Field " + Quoted(field.name) + " is left out: DAO cannot create a field of its type (" +
                    DaoTypeName(field.type) + ").");
        leftOut.push_back(field.name);
    }
    return leftOut;
}

void WriteIndexes(Run& run, const TableDef& table) {
    run.p.Print("' Indexes for the current table\n");
    for (const IndexDef& index : table.indexes) {
        if (index.foreign) {
            continue;
        }
        run.Boundary(false);
        if (const auto reason = IndexLeftOut(run, table, index)) {
            run.Comment(*reason);
        } else {
            WriteIndexBlock(run, index);
        }
    }
    run.ErrorCheck("().AddIndex: " + table.name);
}

// A local table none of whose fields DAO can create cannot be appended.
bool CreatesNoField(const Run& run, const TableDef& table) {
    if (table.IsLinked() || table.IsOdbcLinked()) {
        return false;
    }
    for (const FieldDef& field : table.fields) {
        if (Creates(run, field)) {
            return false;
        }
    }
    return !table.fields.empty();
}

void WritePassThroughQuery(Run& run, const QueryDef& query) {
    // DAO takes the connect string before the SQL, so that the engine does
    // not parse the server's SQL, and before ReturnsRecords.
    run.Statement("Set myQuery = $db$.CreateQueryDef($name$)", {{"name", run.Lit(query.name)}});
    run.ErrorCheck("().CreateQueryDef: " + query.name);
    run.Statement("myQuery.Connect = $connect$", {{"connect", run.Lit(query.connect)}});
    run.Statement("myQuery.SQL = $sql$", {{"sql", run.Quote(query.sql)}});
    run.p.Print("myQuery.ReturnsRecords = $value$\n", {{"value", query.returnsRecords ? "True" : "False"}});
    run.ErrorCheck("().QueryDef: " + query.name);
}

std::optional<std::string> RelationLeftOut(const Run& run, const Relation& relation) {
    for (const std::string* table : {&relation.table, &relation.foreignTable}) {
        if (run.IsTableLeftOut(*table)) {
            return "Relationship " + Quoted(relation.name) + " is left out: its table " + Quoted(*table) +
                   " is not created.";
        }
    }
    for (const RelationField& field : relation.fields) {
        const std::pair<const std::string*, const std::string*> ends[] = {
            {&relation.table, &field.name}, {&relation.foreignTable, &field.foreignName}};
        for (const auto& [table, name] : ends) {
            if (run.IsFieldLeftOut(*table, *name)) {
                return "Relationship " + Quoted(relation.name) + " is left out: its field " +
                       Quoted(*name) + " of table " + Quoted(*table) + " is not created.";
            }
        }
    }
    return std::nullopt;
}

// Properties need the object saved: the table's and its fields' come after
// the table is appended, each field's where a long table may go on in a
// new procedure.
void WriteSavedTableProperties(Run& run, const TableDef& table) {
    WriteProperties(run, "myTable", "table " + Quoted(table.name), table.properties);
    for (const FieldDef& field : table.fields) {
        run.Boundary(false);
        if (Creates(run, field) && !field.properties.empty()) {
            WriteProperties(run, "myTable.Fields(" + run.Lit(field.name) + ")",
                            "field " + Quoted(field.name), field.properties);
        }
    }
}

}  // namespace

bool GetsTableSection(const TableDef& table, bool fullDesign) {
    const std::int32_t excluded = fullDesign ? table_attr::kSystemObject
                                             : table_attr::kSystemObject | table_attr::kAttachedOdbc;
    return (table.attributes & excluded) == 0;
}

void WriteTableSection(Run& run, const TableDef& table) {
    Printer& p = run.p;
    const std::string& name = table.name;
    if (CreatesNoField(run, table)) {
        run.Comment("Table " + Quoted(name) + " is left out: DAO can create none of its fields.");
        p.Print("\n");
        run.TableLeftOut(name);
        return;
    }
    p.Print("' Table, Field, and Index Creation\n");
    run.Statement("Set myTable = $db$.CreateTableDef($name$)", {{"name", run.Lit(name)}});
    run.ErrorCheck("().CreateTable: " + name);
    std::vector<std::string> leftOut;
    if (table.IsLinked() || table.IsOdbcLinked()) {
        run.Statement("myTable.SourceTableName = $source$", {{"source", run.Lit(table.sourceTableName)}});
        run.Statement("myTable.Connect = $connect$", {{"connect", run.Lit(table.connect)}});
    } else {
        leftOut = WriteFields(run, table);
    }
    run.ErrorCheck("(): " + name);
    if (run.fullDesign && (table.attributes & table_attr::kHiddenObject) != 0) {
        p.Print("myTable.Attributes = dbHiddenObject\n");
    }
    p.Print("$db$.TableDefs.Append myTable\n");
    run.ErrorCheck("().AppendTable: " + name);
    if (!table.IsLinked() && !table.IsOdbcLinked()) {
        WriteIndexes(run, table);
    }
    if (run.fullDesign) {
        WriteSavedTableProperties(run, table);
    }
    p.Print("\n");
    run.TableWritten(name, leftOut);
}

void WriteQuerySection(Run& run, const QueryDef& query) {
    Printer& p = run.p;
    p.Print("' Query Definition Creation\n");
    if (!run.queryCommentsWritten) {
        if (run.high) {
            p.Print("' The Query definitions are created here\n"
                    "' which are precompiled SQL statements.\n");
        }
        run.queryCommentsWritten = true;
    }
    if (query.IsPassThrough()) {
        WritePassThroughQuery(run, query);
    } else {
        run.Statement("Set myQuery = $db$.CreateQueryDef($name$, $sql$)",
                      {{"name", run.Lit(query.name)}, {"sql", run.Quote(query.sql)}});
        run.ErrorCheck("().CreateQueryDef: " + query.name);
    }
    if (run.fullDesign) {
        WriteProperties(run, "myQuery", "query " + Quoted(query.name), query.properties);
    }
    p.Print("myQuery.Close\n");
}

void WriteRelationSection(Run& run, const Relation& relation) {
    if (const auto reason = RelationLeftOut(run, relation)) {
        run.Comment(*reason);
        return;
    }
    if (!run.IsTableWritten(relation.table) || !run.IsTableWritten(relation.foreignTable)) {
        return;
    }
    Printer& p = run.p;
    p.Print("' Relationship Creation\n"
            "ReDim zRelation.rdFieldName(1 To $n$)\n"
            "ReDim zRelation.rdForeignName(1 To $n$)\n",
            {{"n", relation.fields.size()}});
    if (!run.relationInitialised) {
        if (run.high) {
            p.Print("' rdFieldName() and rdForeignName() has been\n"
                    "' initialized and noted at this one spot.\n");
        }
        p.Print("zRelation.rdInitialized = True\n");
        run.relationInitialised = true;
    }
    p.Print("With zRelation\n");
    p.Indent();
    run.Statement(".rdName = $name$", {{"name", run.Lit(relation.name)}});
    if (relation.attributes != 0) {
        p.Print(".rdAttributes = $value$\n", {{"value", relation.attributes}});
    }
    run.Statement(".rdTable = $table$", {{"table", run.Lit(relation.table)}});
    run.Statement(".rdForeignTable = $foreign$", {{"foreign", run.Lit(relation.foreignTable)}});
    for (std::size_t i = 0; i < relation.fields.size(); ++i) {
        run.Statement(".rdFieldName($i$) = $name$", {{"i", i + 1}, {"name", run.Lit(relation.fields[i].name)}});
        run.Statement(".rdForeignName($i$) = $name$",
                      {{"i", i + 1}, {"name", run.Lit(relation.fields[i].foreignName)}});
    }
    p.Outdent();
    p.Print("End With\n"
            "AddRelation $db$, zRelation\n");
    run.ErrorCheck("().AddRelation: " + relation.name);
}

}  // namespace vt
