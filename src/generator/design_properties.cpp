#include "generator/design_properties.h"

#include <cmath>
#include <cstdio>
#include <optional>

#include "common/decimal.h"

namespace vt {
namespace {

// Properties Access and the engine keep for themselves: copying them would
// give the new objects the identities and history of the source's.
constexpr std::string_view kEngineOwned[] = {"GUID", "NameMap", "DOL", "AccessVersion", "Build", "ProjVer"};

// DataTypeEnum constants CreateProperty takes.
std::optional<std::string> TypeConstant(std::int16_t type) {
    switch (type) {
        case 1: return "dbBoolean";
        case 2: return "dbByte";
        case 3: return "dbInteger";
        case 4: return "dbLong";
        case 5: return "dbCurrency";
        case 6: return "dbSingle";
        case 7: return "dbDouble";
        case 8: return "dbDate";
        case 10: return "dbText";
        case 12: return "dbMemo";
        case 15: return "dbGUID";
        default: return std::nullopt;
    }
}

std::string NumberLiteral(double value) {
    std::string literal = ShortestDecimal(value);
    for (char& c : literal) {
        c = c == 'e' ? 'E' : c;
    }
    return literal;
}

// Why a property is not set, if it is not.
std::optional<std::string> LeftOutBecause(const Property& property) {
    for (std::string_view owned : kEngineOwned) {
        if (property.name == owned) {
            return "Access and the engine keep it for the source's own objects";
        }
    }
    if (property.name == "ResultType") {
        return "the engine sets it from the field's type and expression";
    }
    if (!TypeConstant(property.type)) {
        return "DAO's CreateProperty takes no value of its type (" + std::to_string(property.type) + ")";
    }
    if (const double* number = std::get_if<double>(&property.value); number && !std::isfinite(*number)) {
        return "its value is not a finite number";
    }
    return std::nullopt;
}

std::string ValueLiteral(const Run& run, const Property& property) {
    if (const bool* flag = std::get_if<bool>(&property.value)) {
        return *flag ? "True" : "False";
    }
    if (const std::int64_t* whole = std::get_if<std::int64_t>(&property.value)) {
        return std::to_string(*whole);
    }
    if (const double* number = std::get_if<double>(&property.value)) {
        return property.type == 8 ? "CDate(" + NumberLiteral(*number) + ")" : NumberLiteral(*number);
    }
    return run.Quote(std::get<std::string>(property.value));
}

}  // namespace

void WriteProperties(Run& run, const std::string& object, const std::string& what,
                     const std::vector<Property>& properties) {
    for (const Property& property : properties) {
        if (const auto reason = LeftOutBecause(property)) {
            run.Comment("Property \"" + property.name + "\" of " + what + " is left out: " + *reason + ".");
            run.PropertyLeftOut(property.name, *reason);
            continue;
        }
        run.Statement("SetProperty $object$, $name$, $type$, $value$",
                      {{"object", object},
                       {"name", run.Lit(property.name)},
                       {"type", *TypeConstant(property.type)},
                       {"value", ValueLiteral(run, property)}});
    }
}

std::string FileFormatConstant(const std::string& engine) {
    if (engine == "Jet3") {
        return "dbVersion30";
    }
    if (engine == "Jet4") {
        return "dbVersion40";
    }
    return "dbVersion120";  // every ACE format: DAO names no later one
}

std::string LocaleString(std::int32_t collatingOrder, int codePage) {
    char text[64];
    std::snprintf(text, sizeof text, ";LANGID=0x%04X;CP=%d;COUNTRY=0",
                  static_cast<unsigned>(collatingOrder) & 0xFFFFu, codePage);
    return std::string("\"") + text + "\"";
}

}  // namespace vt
