#include "ui/object_details.h"

#include <algorithm>

#include "dbaccess/database.h"

namespace vt::ui {
namespace {

std::string Counted(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// Characters, not bytes, so that names beyond ASCII keep the columns.
std::size_t Width(const std::string& text) {
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

// Rows as indented columns two spaces apart; "none" for no rows after the
// heading.
std::string Columns(const std::vector<std::vector<std::string>>& rows) {
    if (rows.size() < 2) {
        return "  none\n";
    }
    std::vector<std::size_t> widths;
    for (const auto& row : rows) {
        widths.resize(std::max(widths.size(), row.size()));
        for (std::size_t i = 0; i < row.size(); ++i) {
            widths[i] = std::max(widths[i], Width(row[i]));
        }
    }
    std::string text;
    for (const auto& row : rows) {
        std::string line = " ";
        for (std::size_t i = 0; i < row.size(); ++i) {
            line += " " + row[i] + std::string(widths[i] - Width(row[i]) + 1, ' ');
        }
        line.erase(line.find_last_not_of(' ') + 1);
        text += line + "\n";
    }
    return text;
}

std::string IndexFields(const IndexDef& index) {
    std::string fields;
    for (std::size_t i = 0; i < index.fields.size(); ++i) {
        fields += (i == 0 ? "" : ", ") + index.fields[i] + (index.Descending(i) ? " DESC" : "");
    }
    return fields;
}

// Jet keeps a query's lines apart with CR LF; the viewer wants LF.
std::string WithNewlines(const std::string& text) {
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            result += '\n';
            i += i + 1 < text.size() && text[i + 1] == '\n' ? 1 : 0;
        } else {
            result += text[i];
        }
    }
    return result.empty() || result.back() == '\n' ? result : result + "\n";
}

}  // namespace

std::string CatalogueCountText(const std::vector<CatalogueLine>& lines) {
    const auto count = [&](CatalogueObject object) {
        return static_cast<std::size_t>(
            std::count_if(lines.begin(), lines.end(),
                          [&](const CatalogueLine& line) { return line.object == object; }));
    };
    return Counted(count(CatalogueObject::kTable), "table", "tables") + ", " +
           Counted(count(CatalogueObject::kQuery), "query", "queries") + ", " +
           Counted(count(CatalogueObject::kRelation), "relation", "relations");
}

std::string TableDetails(const TableDef& table) {
    std::string text = "Table " + table.name + "\n";
    if (table.IsLinked() || table.IsOdbcLinked()) {
        text += "Linked to " + table.sourceTableName + " in " + table.connect + "\n";
    }
    std::vector<std::vector<std::string>> fields = {{"Name", "Type", "Size"}};
    for (const FieldDef& field : table.fields) {
        fields.push_back({field.name, DaoTypeName(field.type), std::to_string(field.size)});
    }
    std::vector<std::vector<std::string>> indexes = {{"Name", "Fields", "Kind"}};
    for (const IndexDef& index : table.indexes) {
        const char* kind = index.primary ? "primary" : index.unique ? "unique" : "";
        indexes.push_back({index.name, IndexFields(index), kind});
    }
    return text + "\nFields\n" + Columns(fields) + "\nIndexes\n" + Columns(indexes);
}

std::string QueryDetails(const QueryDef& query) {
    std::string text = "Query " + query.name + "\n";
    if (query.IsPassThrough()) {
        text += "Pass-through to " + query.connect +
                (query.returnsRecords ? "" : "; returns no records") + "\n";
    }
    return text + "\n" + WithNewlines(query.sql);
}

std::string RelationDetails(const Relation& relation) {
    std::string text = "Relation " + relation.name + "\nTable " + relation.table +
                       ", foreign table " + relation.foreignTable + "\n\nFields\n";
    for (const RelationField& field : relation.fields) {
        text += "  " + relation.table + "." + field.name + " = " + relation.foreignTable + "." +
                field.foreignName + "\n";
    }
    return text;
}

std::string ObjectDetails(const Database& database, const CatalogueLine& line) {
    switch (line.object) {
    case CatalogueObject::kTable: return TableDetails(database.TableDefAt(line.index));
    case CatalogueObject::kQuery: return QueryDetails(database.QueryDefAt(line.index));
    case CatalogueObject::kRelation: return RelationDetails(database.RelationAt(line.index));
    }
    return {};
}

}  // namespace vt::ui
