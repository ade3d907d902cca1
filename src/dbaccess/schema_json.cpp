#include "dbaccess/schema_json.h"

#include <limits>
#include <ostream>
#include <ranges>
#include <sstream>
#include <variant>
#include <nlohmann/json.hpp>

#include "common/error.h"
#include "dbaccess/database.h"
#include "dbaccess/json_writer.h"

namespace vt {
namespace {

using json = nlohmann::ordered_json;

[[noreturn]] void Invalid(const std::string& where, const std::string& problem) {
    throw ErrorException(err::kEngineUnrecognisedFormat,
                         "Not a valid schema file: " + (where.empty() ? "" : where + " ") + problem +
                             ".",
                         kEngineSource);
}

// Reads members of one JSON object, naming the member's path in errors.
class Reader {
public:
    Reader(const json& object, std::string where) : object_(object), where_(std::move(where)) {
        if (!object_.is_object()) {
            Invalid(where_, "must be an object");
        }
    }

    const json& Member(const char* name) const {
        const auto it = object_.find(name);
        if (it == object_.end()) {
            Invalid(Path(name), "is missing");
        }
        return *it;
    }

    std::string String(const char* name) const {
        const json& v = Member(name);
        if (!v.is_string()) {
            Invalid(Path(name), "must be a string");
        }
        return v.get<std::string>();
    }

    bool Bool(const char* name) const {
        const json& v = Member(name);
        if (!v.is_boolean()) {
            Invalid(Path(name), "must be true or false");
        }
        return v.get<bool>();
    }

    template <typename Int>
    Int Integer(const char* name) const {
        const json& v = Member(name);
        if (!v.is_number_integer()) {
            Invalid(Path(name), "must be an integer");
        }
        const bool fits = v.is_number_unsigned()
                              ? v.get<std::uint64_t>() <=
                                    static_cast<std::uint64_t>(std::numeric_limits<Int>::max())
                              : v.get<std::int64_t>() >= std::numeric_limits<Int>::min() &&
                                    v.get<std::int64_t>() <= std::numeric_limits<Int>::max();
        if (!fits) {
            Invalid(Path(name), "is out of range");
        }
        return static_cast<Int>(v.get<std::int64_t>());
    }

    // Members added after the first version of the format: absent means
    // the value the first version implied.
    bool Has(const char* name) const { return object_.contains(name); }
    std::string String(const char* name, const std::string& absent) const {
        return Has(name) ? String(name) : absent;
    }
    bool Bool(const char* name, bool absent) const { return Has(name) ? Bool(name) : absent; }
    template <typename Int>
    Int Integer(const char* name, Int absent) const {
        return Has(name) ? Integer<Int>(name) : absent;
    }

    // Calls `each(element, path)` for every element of an array member.
    template <typename Each>
    void Array(const char* name, Each&& each) const {
        const json& v = Member(name);
        if (!v.is_array()) {
            Invalid(Path(name), "must be an array");
        }
        for (std::size_t i = 0; i < v.size(); ++i) {
            each(v[i], Path(name) + "[" + std::to_string(i) + "]");
        }
    }

    std::string Path(const char* name) const {
        return where_.empty() ? std::string(name) : where_ + "." + name;
    }

private:
    const json& object_;
    std::string where_;
};

PropertyData ReadPropertyValue(const json& v, const std::string& where) {
    if (v.is_boolean()) {
        return v.get<bool>();
    }
    if (v.is_number_integer()) {
        if (v.is_number_unsigned() && v.get<std::uint64_t>() > std::numeric_limits<std::int64_t>::max()) {
            Invalid(where, "is out of range");
        }
        return v.get<std::int64_t>();
    }
    if (v.is_number()) {
        return v.get<double>();
    }
    if (v.is_string()) {
        return v.get<std::string>();
    }
    Invalid(where, "must be true or false, a number or a string");
}

// The optional `properties` member of any object.
std::vector<Property> ReadProperties(const Reader& r) {
    std::vector<Property> properties;
    if (r.Has("properties")) {
        r.Array("properties", [&](const json& p, const std::string& at) {
            const Reader pr(p, at);
            properties.push_back(Property{pr.String("name"), pr.Integer<std::int16_t>("type"),
                                          ReadPropertyValue(pr.Member("value"), at + ".value")});
        });
    }
    return properties;
}

FieldDef ReadField(const json& j, const std::string& where) {
    const Reader r(j, where);
    FieldDef f;
    f.name = r.String("name");
    f.type = static_cast<DaoType>(r.Integer<std::int16_t>("type"));
    f.size = r.Integer<std::int32_t>("size");
    f.attributes = r.Integer<std::int32_t>("attributes");
    f.defaultValue = r.String("defaultValue");
    f.ordinalPosition = r.Integer<std::int16_t>("ordinalPosition");
    f.required = r.Bool("required");
    f.allowZeroLength = r.Bool("allowZeroLength");
    f.validationRule = r.String("validationRule");
    f.validationText = r.String("validationText");
    f.expression = r.String("expression", "");
    f.properties = ReadProperties(r);
    return f;
}

IndexDef ReadIndex(const json& j, const std::string& where) {
    const Reader r(j, where);
    IndexDef x;
    x.name = r.String("name");
    x.primary = r.Bool("primary");
    x.unique = r.Bool("unique");
    x.clustered = r.Bool("clustered");
    x.ignoreNulls = r.Bool("ignoreNulls");
    x.required = r.Bool("required");
    x.foreign = r.Bool("foreign");
    r.Array("fields", [&](const json& name, const std::string& at) {
        if (!name.is_string()) {
            Invalid(at, "must be a string");
        }
        x.fields.push_back(name.get<std::string>());
    });
    x.descending.assign(x.fields.size(), false);
    if (r.Has("descending")) {
        std::size_t i = 0;
        r.Array("descending", [&](const json& flag, const std::string& at) {
            if (!flag.is_boolean()) {
                Invalid(at, "must be true or false");
            }
            if (i >= x.fields.size()) {
                Invalid(at, "has no field to describe");
            }
            x.descending[i++] = flag.get<bool>();
        });
        if (i != x.fields.size()) {
            Invalid(r.Path("descending"), "must have one entry per field");
        }
    }
    x.properties = ReadProperties(r);
    return x;
}

TableDef ReadTable(const json& j, const std::string& where) {
    const Reader r(j, where);
    TableDef t;
    t.name = r.String("name");
    t.attributes = r.Integer<std::int32_t>("attributes");
    t.connect = r.String("connect");
    t.sourceTableName = r.String("sourceTableName");
    r.Array("fields", [&](const json& f, const std::string& at) {
        t.fields.push_back(ReadField(f, at));
    });
    r.Array("indexes", [&](const json& x, const std::string& at) {
        t.indexes.push_back(ReadIndex(x, at));
    });
    t.properties = ReadProperties(r);
    return t;
}

Relation ReadRelation(const json& j, const std::string& where) {
    const Reader r(j, where);
    Relation rel;
    rel.name = r.String("name");
    rel.table = r.String("table");
    rel.foreignTable = r.String("foreignTable");
    rel.attributes = r.Integer<std::int32_t>("attributes");
    r.Array("fields", [&](const json& f, const std::string& at) {
        const Reader fr(f, at);
        rel.fields.push_back({fr.String("name"), fr.String("foreignName")});
    });
    return rel;
}

QueryDef ReadQuery(const json& j, const std::string& where) {
    const Reader r(j, where);
    QueryDef q;
    q.name = r.String("name");
    q.sql = r.String("sql");
    q.type = r.Integer<std::int32_t>("type", query_type::kSelect);
    q.connect = r.String("connect", "");
    q.returnsRecords = r.Bool("returnsRecords", true);
    q.properties = ReadProperties(r);
    return q;
}

// The deepest a schema file nests (document, tableDefs, table, fields,
// field); anything far deeper is not one, and is refused before it costs.
constexpr int kMaxDepth = 32;

json ParseDocument(std::string_view text) {
    // The parser takes a NUL for the end of the text, which would let
    // anything after one through.
    if (const auto nul = text.find('\0'); nul != std::string_view::npos) {
        Invalid("", "it holds a NUL character at offset " + std::to_string(nul));
    }
    const json::parser_callback_t limitDepth = [](int depth, json::parse_event_t, json&) {
        if (depth > kMaxDepth) {
            Invalid("", "it nests deeper than " + std::to_string(kMaxDepth) + " levels");
        }
        return true;
    };
    try {
        return json::parse(text.begin(), text.end(), limitDepth);
    } catch (const json::exception& e) {
        Invalid("", std::string("it is not well-formed JSON (") + e.what() + ")");
    }
}

}  // namespace

bool LooksLikeJson(std::string_view content) {
    std::size_t pos = 0;
    if (content.substr(0, 3) == "\xEF\xBB\xBF") {
        pos = 3;
    }
    while (pos < content.size() &&
           (content[pos] == ' ' || content[pos] == '\t' || content[pos] == '\r' ||
            content[pos] == '\n')) {
        ++pos;
    }
    return pos < content.size() && (content[pos] == '{' || content[pos] == '[');
}

static Schema ReadSchema(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    const json document = ParseDocument(text);
    const Reader r(document, "");
    if (r.String("format") != kSchemaFormat) {
        Invalid("format", std::string("must be \"") + kSchemaFormat + "\"");
    }
    if (r.Integer<int>("version") != kSchemaVersion) {
        Invalid("version", "must be " + std::to_string(kSchemaVersion));
    }
    Schema schema;
    schema.info.path = r.String("path");
    schema.info.engine = document.contains("engine") ? r.String("engine") : std::string();
    schema.info.codePage = r.Integer<int>("codePage");
    schema.info.collatingOrder = r.Integer<std::int32_t>("collatingOrder");
    schema.info.properties = ReadProperties(r);
    r.Array("tableDefs", [&](const json& t, const std::string& at) {
        schema.tableDefs.push_back(ReadTable(t, at));
    });
    r.Array("queryDefs", [&](const json& q, const std::string& at) {
        schema.queryDefs.push_back(ReadQuery(q, at));
    });
    r.Array("relations", [&](const json& rel, const std::string& at) {
        schema.relations.push_back(ReadRelation(rel, at));
    });
    return schema;
}

Schema ReadSchemaJson(std::string_view text, const std::string& file) {
    try {
        return ReadSchema(text);
    } catch (const ErrorException& e) {
        if (file.empty()) {
            throw;
        }
        throw ErrorException(e.number(), "'" + file + "': " + e.record().description, e.record().source);
    }
}

namespace {

template <class... Visit>
struct Overloaded : Visit... {
    using Visit::operator()...;
};

// A member whose value is the array of `items`, each written by `write`.
template <typename Items, typename Write>
void WriteList(JsonWriter& w, const char* name, const Items& items, Write write) {
    w.Key(name);
    w.BeginArray();
    for (const auto& item : items) {
        write(item);
    }
    w.EndArray();
}

void WriteProperties(JsonWriter& w, const std::vector<Property>& properties) {
    if (properties.empty()) {
        return;
    }
    WriteList(w, "properties", properties, [&](const Property& p) {
        w.BeginObject();
        w.Member("name", p.name);
        w.Member("type", p.type);
        w.Key("value");
        std::visit(Overloaded{[&](bool v) { w.Bool(v); }, [&](std::int64_t v) { w.Integer(v); },
                              [&](double v) { w.Double(v); },
                              [&](const std::string& v) { w.String(v); }},
                   p.value);
        w.EndObject();
    });
}

void WriteField(JsonWriter& w, const FieldDef& f) {
    w.BeginObject();
    w.Member("name", f.name);
    w.Member("type", DaoCode(f.type));
    w.Member("size", f.size);
    w.Member("attributes", f.attributes);
    w.Member("defaultValue", f.defaultValue);
    w.Member("ordinalPosition", f.ordinalPosition);
    w.Member("required", f.required);
    w.Member("allowZeroLength", f.allowZeroLength);
    w.Member("validationRule", f.validationRule);
    w.Member("validationText", f.validationText);
    if (!f.expression.empty()) {
        w.Member("expression", f.expression);
    }
    WriteProperties(w, f.properties);
    w.EndObject();
}

void WriteIndex(JsonWriter& w, const IndexDef& x) {
    w.BeginObject();
    w.Member("name", x.name);
    for (const auto& [key, flag] : {std::pair{"primary", x.primary}, {"unique", x.unique},
                                    {"clustered", x.clustered}, {"ignoreNulls", x.ignoreNulls},
                                    {"required", x.required}, {"foreign", x.foreign}}) {
        w.Member(key, flag);
    }
    WriteList(w, "fields", x.fields, [&](const std::string& field) { w.String(field); });
    WriteList(w, "descending", std::views::iota(std::size_t{0}, x.fields.size()),
              [&](std::size_t i) { w.Bool(x.Descending(i)); });
    WriteProperties(w, x.properties);
    w.EndObject();
}

void WriteTable(JsonWriter& w, const TableDef& t) {
    w.BeginObject();
    w.Member("name", t.name);
    w.Member("attributes", t.attributes);
    w.Member("connect", t.connect);
    w.Member("sourceTableName", t.sourceTableName);
    WriteList(w, "fields", t.fields, [&](const FieldDef& f) { WriteField(w, f); });
    WriteList(w, "indexes", t.indexes, [&](const IndexDef& x) { WriteIndex(w, x); });
    WriteProperties(w, t.properties);
    w.EndObject();
}

void WriteQuery(JsonWriter& w, const QueryDef& q) {
    w.BeginObject();
    w.Member("name", q.name);
    w.Member("sql", q.sql);
    w.Member("type", q.type);
    w.Member("connect", q.connect);
    w.Member("returnsRecords", q.returnsRecords);
    WriteProperties(w, q.properties);
    w.EndObject();
}

void WriteRelation(JsonWriter& w, const Relation& r) {
    w.BeginObject();
    w.Member("name", r.name);
    w.Member("table", r.table);
    w.Member("foreignTable", r.foreignTable);
    w.Member("attributes", r.attributes);
    WriteList(w, "fields", r.fields, [&](const auto& f) {
        w.BeginObject();
        w.Member("name", f.name);
        w.Member("foreignName", f.foreignName);
        w.EndObject();
    });
    w.EndObject();
}

// Items are fetched one at a time, so a database's design is never held
// whole a second time: visit(i, use) hands item i to `use`.
template <typename Item, typename Visit>
void WriteArray(JsonWriter& w, const char* name, std::size_t count, Visit visit,
                void (*write)(JsonWriter&, const Item&)) {
    WriteList(w, name, std::views::iota(std::size_t{0}, count),
              [&](std::size_t i) { visit(i, [&](const Item& item) { write(w, item); }); });
}

// The members before the collections, in the documented order.
void WriteHead(JsonWriter& w, const DatabaseInfo& info) {
    w.BeginObject();
    w.Member("format", kSchemaFormat);
    w.Member("version", kSchemaVersion);
    w.Member("path", info.path);
    w.Member("engine", info.engine);
    w.Member("codePage", info.codePage);
    w.Member("collatingOrder", info.collatingOrder);
    WriteProperties(w, info.properties);
}

}  // namespace

void WriteSchemaJson(const Schema& schema, std::ostream& out) {
    JsonWriter w(out);
    WriteHead(w, schema.info);
    const auto& s = schema;
    WriteArray(w, "tableDefs", s.tableDefs.size(), [&](std::size_t i, auto use) { use(s.tableDefs[i]); },
               WriteTable);
    WriteArray(w, "queryDefs", s.queryDefs.size(), [&](std::size_t i, auto use) { use(s.queryDefs[i]); },
               WriteQuery);
    WriteArray(w, "relations", s.relations.size(), [&](std::size_t i, auto use) { use(s.relations[i]); },
               WriteRelation);
    w.EndObject();
}

void WriteSchemaJson(const Database& database, std::ostream& out) {
    JsonWriter w(out);
    WriteHead(w, database.Info());
    const auto& db = database;
    WriteArray(w, "tableDefs", db.TableDefCount(),
               [&](std::size_t i, const auto& use) { db.VisitTableDef(i, use); }, WriteTable);
    WriteArray(w, "queryDefs", db.QueryDefCount(), [&](std::size_t i, auto use) { use(db.QueryDefAt(i)); },
               WriteQuery);
    WriteArray(w, "relations", db.RelationCount(), [&](std::size_t i, auto use) { use(db.RelationAt(i)); },
               WriteRelation);
    w.EndObject();
}

std::string WriteSchemaJson(const Schema& schema) {
    std::ostringstream out;
    WriteSchemaJson(schema, out);
    return out.str();
}

}  // namespace vt
