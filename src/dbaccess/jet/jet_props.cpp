#include "dbaccess/jet/jet_props.h"

#include <algorithm>
#include <cstring>

#include "common/text.h"
#include "dbaccess/jet/jet_types.h"

namespace vt::jet {
namespace {

std::string ReadPoolName(Bytes block, std::size_t& pos, const TextDecoder& text) {
    const std::size_t length = block.U16(pos);
    const Bytes raw = block.Sub(pos + 2, length);
    pos += 2 + length;
    return text.Jet3() ? text.Decode(raw) : Utf16ToUtf8(raw);
}

}  // namespace

const PropertyValue* PropertyMap::Find(std::string_view name) const {
    for (const PropertyValue& value : entries_) {
        if (SameName(value.name, name)) {
            return &value;
        }
    }
    return nullptr;
}

void PropertyMap::Set(PropertyValue value) {
    for (PropertyValue& existing : entries_) {
        if (SameName(existing.name, value.name)) {
            existing = std::move(value);
            return;
        }
    }
    entries_.push_back(std::move(value));
}

const PropertyMap* PropertyBlob::Column(std::string_view name) const {
    const auto found = columns.find(FoldCase(name));
    return found == columns.end() ? nullptr : &found->second;
}

namespace {

// How many entries follow `pos`, so that reading them allocates once; a
// damaged length ends the count and is reported by the read.
std::size_t CountEntries(Bytes body, std::size_t pos) {
    std::size_t count = 0;
    while (pos + 2 <= body.size()) {
        const std::uint16_t entryLength = body.U16(pos);
        if (entryLength < 8) {
            break;
        }
        pos += entryLength;
        ++count;
    }
    return count;
}

// The entries of one object's block, after the object's name.
PropertyMap ReadEntries(Bytes body, std::size_t pos, const std::deque<std::string>& names) {
    PropertyMap values;
    body.Need(pos, 0);
    values.Reserve(CountEntries(body, pos));
    while (pos < body.size()) {
        const std::uint16_t entryLength = body.U16(pos);
        if (entryLength < 8) {
            Damaged("a property entry has an impossible length");
        }
        const Bytes entry = body.Sub(pos, entryLength);
        pos += entryLength;
        const std::uint8_t type = entry.U8(3);
        const std::uint16_t nameIndex = entry.U16(4);
        const Bytes data = entry.Sub(8, entry.U16(6));
        if (nameIndex >= names.size()) {
            Damaged("a property entry names a property that is not listed");
        }
        values.Set(PropertyValue{names[nameIndex], type, data});
    }
    return values;
}

// A block of the table (type 0) or of one column (type 1 or 2): the name of
// the object it describes, then its entries.
void ReadObjectBlock(Bytes body, std::uint16_t blockType, const std::deque<std::string>& names,
                     const TextDecoder& text, PropertyBlob& result) {
    const std::uint32_t nameBlock = body.U32(0);
    if (nameBlock < 4) {
        Damaged("a property list block has an impossible name");
    }
    std::string objectName;
    if (nameBlock > 6) {
        std::size_t p = 4;
        objectName = ReadPoolName(body.Sub(0, nameBlock), p, text);
    }
    PropertyMap values = ReadEntries(body, nameBlock, names);
    if (blockType == 0x00) {
        result.table = std::move(values);
        return;
    }
    auto [target, first] = result.columns.try_emplace(FoldCase(objectName));
    if (first) {
        target->second = std::move(values);
        return;
    }
    for (const PropertyValue& value : values.entries()) {
        target->second.Set(value);
    }
}

}  // namespace

PropertyBlob ParsePropertyBlob(const std::vector<std::uint8_t>& blobBytes, const TextDecoder& text) {
    PropertyBlob result;
    result.bytes = blobBytes;
    const Bytes blob(result.bytes.data(), result.bytes.size());
    if (blob.size() < 4) {
        return result;
    }
    if (std::memcmp(blob.data(), "KKD\0", 4) != 0 && std::memcmp(blob.data(), "MR2\0", 4) != 0) {
        Damaged("a property list has an unknown signature");
    }
    std::deque<std::string>& names = result.names;
    std::size_t pos = 4;
    while (pos < blob.size()) {
        const std::uint32_t blockLength = blob.U32(pos);
        const std::uint16_t blockType = blob.U16(pos + 4);
        if (blockLength < 6) {
            Damaged("a property list block has an impossible length");
        }
        const Bytes body = blob.Sub(pos + 6, blockLength - 6);
        pos += blockLength;
        if (blockType == 0x80) {  // the pool of property names
            std::size_t p = 0;
            while (p < body.size()) {
                names.push_back(ReadPoolName(body, p, text));
            }
        } else if (blockType <= 0x02) {
            ReadObjectBlock(body, blockType, names, text, result);
        }  // other block kinds are of no use here
    }
    return result;
}

std::string PropertyText(const PropertyValue* found, const TextDecoder& text) {
    if (found == nullptr) {
        return {};
    }
    const PropertyValue& value = *found;
    const Bytes data = value.data;
    switch (value.type) {
        case coltype::kText:
        case coltype::kMemo:
            return text.Decode(data);
        case coltype::kBoolean:
            return data.size() >= 1 && data.U8(0) != 0 ? "True" : "False";
        case coltype::kByte:
            return data.size() >= 1 ? std::to_string(data.U8(0)) : std::string();
        case coltype::kInteger:
            return data.size() >= 2 ? std::to_string(static_cast<std::int16_t>(data.U16(0))) : std::string();
        case coltype::kLong:
            return data.size() >= 4 ? std::to_string(data.I32(0)) : std::string();
        default:
            return {};
    }
}

bool PropertyBool(const PropertyValue* found) {
    return found != nullptr && !found->data.empty() && found->data.U8(0) != 0;
}

namespace {

std::string Hex(Bytes data) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    for (std::size_t i = 0; i < data.size(); ++i) {
        hex += kDigits[data.U8(i) >> 4];
        hex += kDigits[data.U8(i) & 0x0F];
    }
    return hex;
}

// {00112233-4455-6677-8899-AABBCCDDEEFF}: the first three groups little-endian.
std::string FormatGuid(Bytes data) {
    const std::string hex = Hex(data.Sub(0, 16));
    auto swapped = [&](std::size_t at, std::size_t bytes) {
        std::string group;
        for (std::size_t i = bytes; i-- > 0;) {
            group += hex.substr((at + i) * 2, 2);
        }
        return group;
    };
    std::string text = "{";
    for (const std::string& group : {swapped(0, 4), swapped(4, 2), swapped(6, 2), hex.substr(16, 4)}) {
        text += group;
        text += '-';
    }
    return text + hex.substr(20, 12) + "}";
}

template <typename T>
T Read(Bytes data) {
    T value{};
    std::memcpy(&value, data.Sub(0, sizeof(T)).data(), sizeof(T));
    return value;
}

// A value in the kind the schema file gives it; a value too short for
// its type is kept as its bytes.
PropertyData DaoValue(const PropertyValue& value, const TextDecoder& text) {
    const Bytes data = value.data;
    const std::size_t size = data.size();
    switch (value.type) {
        case coltype::kBoolean: return size >= 1 && data.U8(0) != 0;
        case coltype::kByte: if (size >= 1) return std::int64_t{data.U8(0)}; break;
        case coltype::kInteger: if (size >= 2) return std::int64_t{static_cast<std::int16_t>(data.U16(0))}; break;
        case coltype::kLong: if (size >= 4) return std::int64_t{data.I32(0)}; break;
        case coltype::kCurrency: if (size >= 8) return static_cast<double>(Read<std::int64_t>(data)) / 10000.0; break;
        case coltype::kSingle: if (size >= 4) return static_cast<double>(Read<float>(data)); break;
        case coltype::kDouble:
        case coltype::kDate: if (size >= 8) return Read<double>(data); break;
        case coltype::kText:
        case coltype::kMemo: return text.Decode(data);
        case coltype::kGuid: if (size >= 16) return FormatGuid(data); break;
        default: break;
    }
    return Hex(data);
}

}  // namespace

std::vector<Property> DaoProperties(const PropertyMap* map, const TextDecoder& text,
                                    std::span<const std::string_view> carried,
                                    std::span<const PropertyValue*> carriedValues) {
    std::fill(carriedValues.begin(), carriedValues.end(), nullptr);
    std::vector<Property> result;
    if (map == nullptr) {
        return result;
    }
    result.reserve(map->entries().size());
    for (const PropertyValue& value : map->entries()) {
        const auto isCarried = std::find_if(carried.begin(), carried.end(), [&](std::string_view name) {
            return SameName(name, value.name);
        });
        if (isCarried == carried.end()) {
            result.push_back(Property{std::string(value.name), DaoCode(LookupStoredType(value.type).dao),
                                      DaoValue(value, text)});
        } else if (const auto at = static_cast<std::size_t>(isCarried - carried.begin());
                   at < carriedValues.size()) {
            carriedValues[at] = &value;
        }
    }
    return result;
}

}  // namespace vt::jet
