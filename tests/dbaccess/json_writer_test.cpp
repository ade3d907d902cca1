#include "dbaccess/json_writer.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

namespace vt {
namespace {

using Json = nlohmann::ordered_json;

void Write(JsonWriter& w, const Json& value) {
    if (value.is_object()) {
        w.BeginObject();
        for (const auto& [key, member] : value.items()) {
            w.Key(key);
            Write(w, member);
        }
        w.EndObject();
    } else if (value.is_array()) {
        w.BeginArray();
        for (const Json& item : value) {
            Write(w, item);
        }
        w.EndArray();
    } else if (value.is_boolean()) {
        w.Bool(value.get<bool>());
    } else if (value.is_number_integer()) {
        w.Integer(value.get<std::int64_t>());
    } else if (value.is_number_float()) {
        w.Double(value.get<double>());
    } else {
        w.String(value.get<std::string>());
    }
}

// Schema files written before the writer streamed were nlohmann's dump(2):
// the stream must give the same bytes, whatever the nesting and the text.
TEST(JsonWriter, WritesWhatTheTreeWouldHaveDumped) {
    const Json documents[] = {
        Json::parse(R"({"a": 1, "b": [], "c": {}, "d": [true, false, -7, 0.5, 36526.0]})"),
        Json::parse(R"({"deep": {"er": [[{"x": [1, [2, [3]]]}]]}, "after": "z"})"),
        // Pieces that cross the writer's buffer boundary many times.
        Json(std::vector<std::string>(3000, std::string(97, 'y'))),
        {{"text", "quote \" backslash \\ tab \t nul " + std::string(1, '\0') + " ß€😀 \r\n"},
         {"long", std::string(70000, 'x')}, {"empty", ""}},
        Json(std::vector<std::string>{"\x01\x02\x03\x04\x05\x06\x07\x08\x0B\x0C\x0E\x0F\x10\x11\x12\x13\x14\x15"
                                      "\x16\x17\x18\x19\x1A\x1B\x1C\x1D\x1E\x1F\x7F/",
                                      "\xEF\xBF\xBD is U+FFFD"}),
    };
    for (const Json& document : documents) {
        std::ostringstream out;
        {
            JsonWriter w(out);
            Write(w, document);
        }
        EXPECT_EQ(out.str(), document.dump(2) + "\n");
    }
}

TEST(JsonWriter, RefusesTextThatIsNotUtf8) {
    std::ostringstream out;
    JsonWriter w(out);
    w.BeginArray();
    EXPECT_THROW(w.String("\xC3("), nlohmann::json::exception);
}

}  // namespace
}  // namespace vt
