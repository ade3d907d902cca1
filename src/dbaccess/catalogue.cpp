#include "dbaccess/catalogue.h"

namespace vt {

std::string TableTag(std::int32_t attributes) {
    if ((attributes & table_attr::kSystemObject) != 0) {
        return {};
    }
    if ((attributes & table_attr::kAttachedOdbc) != 0) {
        return "[TableODBC    ]";
    }
    if ((attributes & table_attr::kAttachedTable) != 0) {
        return "[TableAttached]";
    }
    if ((attributes & table_attr::kHiddenObject) != 0) {
        return "[TableHidden  ]";
    }
    return "[Table        ]";
}

std::vector<CatalogueLine> ListCatalogue(const Database& database) {
    std::vector<CatalogueLine> lines;
    for (std::size_t i = 0; i < database.TableDefCount(); ++i) {
        const TableDef table = database.TableHeadAt(i);
        const std::string tag = TableTag(table.attributes);
        if (!tag.empty()) {
            lines.push_back({tag + table.name, table.IsOdbcLinked(), CatalogueObject::kTable, i});
        }
    }
    for (std::size_t i = 0; i < database.QueryDefCount(); ++i) {
        lines.push_back(
            {"[Query        ]" + database.QueryDefNameAt(i), false, CatalogueObject::kQuery, i});
    }
    for (std::size_t i = 0; i < database.RelationCount(); ++i) {
        lines.push_back(
            {"[Relation     ]" + database.RelationAt(i).name, false, CatalogueObject::kRelation, i});
    }
    return lines;
}

}  // namespace vt
