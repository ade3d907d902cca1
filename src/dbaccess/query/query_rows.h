#pragma once
// The stored rows that describe a saved query (MSysQueries), kept as read so
// that the query's SQL text can be rebuilt from them.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vt {

struct QueryRow {
    std::int32_t attribute = 0;
    std::optional<std::string> expression;
    std::int32_t flag = 0;
    std::optional<std::int32_t> lvExtra;  // Jet 4 and later: a Text parameter's size
    std::optional<std::string> name1;
    std::optional<std::string> name2;
    std::int32_t objectId = 0;
    std::vector<std::uint8_t> order;  // raw bytes; they sort the rows of one kind
};

struct QueryDesign {
    std::string name;
    std::int32_t id = 0;     // MSysObjects.Id, matched by QueryRow::objectId
    std::int32_t flags = 0;  // MSysObjects.Flags: the query's kind
    std::vector<QueryRow> rows;  // in stored order
};

}  // namespace vt
