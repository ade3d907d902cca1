#pragma once
// The property blobs (LvProp) that hold a table's and its columns' design
// properties: DefaultValue, ValidationRule, Required and the like.

#include <cstdint>
#include <deque>
#include <span>
#include <string_view>
#include <unordered_map>
#include <optional>
#include <string>
#include <vector>

#include "dbaccess/jet/jet_table.h"
#include "dbaccess/model.h"

namespace vt::jet {

// A stored value, pointing into the PropertyBlob it was read from: a
// design holds thousands, and copying each name and value cost more than
// reading them.
struct PropertyValue {
    std::string_view name;  // as stored
    std::uint8_t type = 0;  // a column type byte
    Bytes data;
};

// Properties of one object in stored order; names match without case.
class PropertyMap {
public:
    const PropertyValue* Find(std::string_view name) const;
    void Set(PropertyValue value);  // replaces one of the same name in its place
    void Reserve(std::size_t count) { entries_.reserve(count); }
    const std::vector<PropertyValue>& entries() const { return entries_; }

private:
    std::vector<PropertyValue> entries_;
};

struct PropertyBlob {
    PropertyBlob() = default;
    // A copy's values would point into the original.
    PropertyBlob(const PropertyBlob&) = delete;
    PropertyBlob& operator=(const PropertyBlob&) = delete;
    PropertyBlob(PropertyBlob&&) = default;
    PropertyBlob& operator=(PropertyBlob&&) = default;

    PropertyMap table;
    std::unordered_map<std::string, PropertyMap> columns;  // keyed by the folded column name

    const PropertyMap* Column(std::string_view name) const;

    // What the values point into. Moving a blob moves neither (a deque's
    // elements stay where they are).
    std::vector<std::uint8_t> bytes;
    std::deque<std::string> names;
};

PropertyBlob ParsePropertyBlob(const std::vector<std::uint8_t>& blob, const TextDecoder& text);

// A stored value as text (empty when absent or not representable).
std::string PropertyText(const PropertyValue* value, const TextDecoder& text);
bool PropertyBool(const PropertyValue* value);

// The stored properties as DAO reports them, leaving out those named in
// `carried` (the values the model already holds in members of its own).
// `carriedValues`, when given, gets the stored value of each carried name
// (null when absent), so one pass over the entries finds them all.
std::vector<Property> DaoProperties(const PropertyMap* map, const TextDecoder& text,
                                    std::span<const std::string_view> carried,
                                    std::span<const PropertyValue*> carriedValues = {});

}  // namespace vt::jet
