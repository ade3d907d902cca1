#pragma once
// Builds MSysQueries rows in memory for the SQL builder's tests.

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

#include "common/error.h"
#include "dbaccess/query/query_rows.h"
#include "dbaccess/query/query_sql.h"

namespace vt::testing_rows {

// One row as the tables in the notes list it: attribute, Order counter,
// Name1, Name2, Expression (nullptr = NULL) and Flag.
struct Row {
    int attribute;
    std::uint32_t order;
    const char* name1;
    const char* name2;
    const char* expression;
    int flag;
};

inline std::vector<std::uint8_t> OrderBytes(std::uint32_t n) {
    // Jet writes a 4-byte big-endian counter.
    return {static_cast<std::uint8_t>(n >> 24), static_cast<std::uint8_t>(n >> 16),
            static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n)};
}

inline QueryRow MakeRow(const Row& r, std::int32_t objectId) {
    QueryRow row;
    row.attribute = r.attribute;
    row.order = OrderBytes(r.order);
    row.flag = r.flag;
    row.objectId = objectId;
    if (r.name1) row.name1 = std::string(r.name1);
    if (r.name2) row.name2 = std::string(r.name2);
    if (r.expression) row.expression = std::string(r.expression);
    return row;
}

// The design with its start and end rows added. The rows are stored in
// reverse, so that every test also proves the builder sorts them.
inline QueryDesign Design(std::string name, std::int32_t catalogueFlags,
                               std::initializer_list<Row> rows, bool withMarkers = true) {
    QueryDesign design;
    design.name = std::move(name);
    design.id = -2147483640;
    design.flags = catalogueFlags;
    std::vector<Row> all;
    if (withMarkers) all.push_back({0, 1, nullptr, nullptr, nullptr, 0});
    all.insert(all.end(), rows.begin(), rows.end());
    if (withMarkers) all.push_back({255, 1, nullptr, nullptr, nullptr, 0});
    for (auto it = all.rbegin(); it != all.rend(); ++it) {
        design.rows.push_back(MakeRow(*it, design.id));
    }
    return design;
}

struct SqlCase {
    std::string label;
    QueryDesign design;
    std::string expected;
    QueryDialect dialect = QueryDialect::Jet;
};

inline void PrintTo(const SqlCase& c, std::ostream* os) { *os << c.label; }

inline std::string CaseName(const ::testing::TestParamInfo<SqlCase>& info) {
    return info.param.label;
}

// Runs the builder and reports a thrown error as a failure with its text.
inline std::string BuildOrReport(const QueryDesign& design, QueryDialect dialect) {
    try {
        return BuildQuerySql(design, dialect);
    } catch (const ErrorException& e) {
        ADD_FAILURE() << "error " << e.number() << ": " << e.what();
        return "<error>";
    }
}

}  // namespace vt::testing_rows
