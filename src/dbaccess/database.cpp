#include "dbaccess/database.h"

namespace vt {

Schema SnapshotSchema(const Database& database) {
    Schema schema;
    schema.info = database.Info();
    for (std::size_t i = 0; i < database.TableDefCount(); ++i) {
        schema.tableDefs.push_back(database.TableDefAt(i));
    }
    for (std::size_t i = 0; i < database.QueryDefCount(); ++i) {
        schema.queryDefs.push_back(database.QueryDefAt(i));
    }
    for (std::size_t i = 0; i < database.RelationCount(); ++i) {
        schema.relations.push_back(database.RelationAt(i));
    }
    return schema;
}

}  // namespace vt
