#pragma once
// Writes a JSON document as it is made, laid out as nlohmann::json's
// dump(2) lays it out, so large documents need no tree in memory.

#include <cstdint>
#include <cstring>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace vt {

class JsonWriter {
public:
    explicit JsonWriter(std::ostream& out) : out_(out), buffer_(new char[kBufferSize]) {}
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

    // A member and its value: text, a whole number or a Boolean.
    template <typename Value>
    void Member(std::string_view name, const Value& value) {
        Key(name);
        if constexpr (std::is_same_v<Value, bool>) {
            Bool(value);
        } else if constexpr (std::is_integral_v<Value>) {
            Integer(value);
        } else {
            String(value);
        }
    }

    void String(std::string_view text);
    void Integer(std::int64_t value);
    void Double(double value);
    void Bool(bool value);

    // Hands what is buffered to the stream.
    void Flush();

private:
    static constexpr std::size_t kBufferSize = 64 * 1024;

    // Appends to the buffer; inline, as most pieces are a few bytes.
    void Put(std::string_view bytes) {
        if (bytes.empty()) {
            return;  // and no null pointer reaches memcpy
        }
        if (bytes.size() > kBufferSize - used_) {
            PutLarge(bytes);
            return;
        }
        std::memcpy(buffer_.get() + used_, bytes.data(), bytes.size());
        used_ += bytes.size();
    }
    void Put(char c) {
        if (used_ == kBufferSize) {
            Flush();
        }
        buffer_[used_++] = c;
    }
    void PutLarge(std::string_view bytes);
    void Open(char bracket);
    void Close(char bracket);
    void BeforeValue();
    void NewLine();
    void Quoted(std::string_view text);

    std::ostream& out_;
    std::unique_ptr<char[]> buffer_;
    std::size_t used_ = 0;
    std::vector<std::uint8_t> empty_;  // per open container: 1 while nothing is written in it
    bool afterKey_ = false;
};

}  // namespace vt
