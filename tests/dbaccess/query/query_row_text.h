#pragma once
// Builds MSysQueries rows in memory for the SQL builder's tests. One text per
// row: "attribute[:flag] name1|name2|expression|lvExtra". A missing or empty
// field is NULL, a field "" is the empty text, a missing flag keeps QueryRow's
// default, and each attribute's rows get Order 1, 2, 3... as written.

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "dbaccess/query/query_rows.h"
#include "dbaccess/query/query_sql.h"

namespace vt::testing_rows {

inline QueryRow ParseRow(const std::string& text) {
    QueryRow row;
    const std::size_t space = std::min(text.find(' '), text.size());
    const std::size_t colon = text.substr(0, space).find(':');
    row.attribute = std::stoi(text.substr(0, space));
    if (colon != std::string::npos) row.flag = std::stoi(text.substr(colon + 1, space - colon - 1));
    std::optional<std::string>* fields[] = {&row.name1, &row.name2, &row.expression};
    for (std::size_t pos = space + 1, field = 0; pos <= text.size(); ++field) {
        const std::size_t bar = std::min(text.find('|', pos), text.size());
        std::string value = text.substr(pos, bar - pos);
        if (value == "\"\"") value.clear();
        if (bar > pos && field < 3) *fields[field] = value;
        if (!value.empty() && field == 3) row.lvExtra = std::stoi(value);
        pos = bar + 1;
    }
    return row;
}

// The design with its start and end rows added (unless `markers` is false),
// stored in reverse, so that every test also proves the builder sorts them.
inline QueryDesign Design(std::string name, std::int32_t catalogueFlags,
                          std::vector<std::string> rows, bool markers = true) {
    if (markers) {
        rows.insert(rows.begin(), "0");
        rows.push_back("255");
    }
    QueryDesign design{std::move(name), -2147483640, catalogueFlags, {}};
    std::map<int, std::uint32_t> counters;
    for (const std::string& text : rows) {
        QueryRow& row = design.rows.emplace_back(ParseRow(text));
        const std::uint32_t n = ++counters[row.attribute];  // Jet's big-endian counter
        for (int shift = 24; shift >= 0; shift -= 8) row.order.push_back(std::uint8_t(n >> shift));
        row.objectId = design.id;
    }
    std::reverse(design.rows.begin(), design.rows.end());
    return design;
}

}  // namespace vt::testing_rows
