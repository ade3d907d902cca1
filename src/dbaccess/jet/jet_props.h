#pragma once
// The property blobs (LvProp) that hold a table's and its columns' design
// properties: DefaultValue, ValidationRule, Required and the like.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "dbaccess/jet/jet_table.h"

namespace vt::jet {

struct PropertyValue {
    std::uint8_t type = 0;  // a column type byte
    std::vector<std::uint8_t> data;
};

// Properties of one object, keyed by the folded property name.
using PropertyMap = std::map<std::string, PropertyValue>;

struct PropertyBlob {
    PropertyMap table;
    std::map<std::string, PropertyMap> columns;  // keyed by the folded column name

    const PropertyMap* Column(std::string_view name) const;
};

PropertyBlob ParsePropertyBlob(const std::vector<std::uint8_t>& blob, const TextDecoder& text);

// The value as text (empty when absent or not representable).
std::string PropertyText(const PropertyMap* map, std::string_view name, const TextDecoder& text);
bool PropertyBool(const PropertyMap* map, std::string_view name);

}  // namespace vt::jet
