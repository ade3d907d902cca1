#pragma once
// Writes a JSON document as it is made, laid out as nlohmann::json's
// dump(2) lays it out, so large documents need no tree in memory.

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace vt {

class JsonWriter {
public:
    explicit JsonWriter(std::ostream& out) : out_(out) {}
    ~JsonWriter() { Flush(); }
    JsonWriter(const JsonWriter&) = delete;
    JsonWriter& operator=(const JsonWriter&) = delete;

    void BeginObject() { Open('{'); }
    void EndObject() { Close('}'); }
    void BeginArray() { Open('['); }
    void EndArray() { Close(']'); }
    // An object member's name, one of the format's own that needs no
    // escaping; its value follows.
    void Key(std::string_view name);

    void String(std::string_view text);
    void Integer(std::int64_t value);
    void Double(double value);
    void Bool(bool value);

    // Hands what is buffered to the stream.
    void Flush();

private:
    void Open(char bracket);
    void Close(char bracket);
    void BeforeValue();
    void NewLine();
    void Quoted(std::string_view text);

    std::ostream& out_;
    std::string buffer_;
    std::vector<bool> empty_;  // per open container: nothing written in it yet
    bool afterKey_ = false;
};

}  // namespace vt
