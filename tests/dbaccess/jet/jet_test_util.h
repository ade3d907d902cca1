#pragma once
// Helpers shared by the Jet reader tests.

#include <cstdint>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "dbaccess/jet/jet_reader.h"
#include "dbaccess/model.h"

namespace vt::jet::test {

inline std::string DataPath(const std::string& relative) {
    return std::string(VT_TEST_DATA_DIR) + "/jet/" + relative;
}

inline std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline const TableDef* FindTable(const Schema& schema, const std::string& name) {
    for (const TableDef& table : schema.tableDefs) {
        if (table.name == name) {
            return &table;
        }
    }
    return nullptr;
}

inline const IndexDef* FindIndex(const TableDef& table, const std::string& name) {
    for (const IndexDef& index : table.indexes) {
        if (index.name == name) {
            return &index;
        }
    }
    return nullptr;
}

inline const FieldDef* FindField(const TableDef& table, const std::string& name) {
    for (const FieldDef& field : table.fields) {
        if (field.name == name) {
            return &field;
        }
    }
    return nullptr;
}

}  // namespace vt::jet::test
