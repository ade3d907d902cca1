#pragma once
// A Windows code page: which characters it holds and how text is written in
// it. Conversions go through the C library's iconv.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace vt {

class CodePage {
public:
    // Throws ErrorException (5) for a code page this system cannot convert.
    static CodePage Open(int number);

    ~CodePage();
    CodePage(CodePage&&) noexcept;
    CodePage& operator=(CodePage&&) noexcept;

    int Number() const { return number_; }
    bool SingleByte() const { return singleByte_; }

    // The byte of a character from U+0080 up in a single-byte code page;
    // none when the code page lacks it or is multi-byte.
    std::optional<std::uint8_t> ByteOf(char32_t codePoint) const;

    // Whether the character can be written in this code page.
    bool Represents(char32_t codePoint) const;

    // UTF-8 text in this code page. Throws ErrorException when a character
    // has no representation (callers make sure it has).
    std::string Encode(std::string_view utf8) const;
    // The same, appended to `out`.
    void AppendEncoded(std::string_view utf8, std::string& out) const;

    // Text in this code page as UTF-8; bytes without a character become U+FFFD.
    std::string Decode(std::string_view bytes) const;

private:
    struct Converters;

    CodePage();
    bool RepresentsMultiByte(char32_t codePoint) const;
    Converters& Convert() const;

    int number_ = 0;
    std::string iconvName_;
    bool singleByte_ = true;
    std::array<char32_t, 256> decode_{};  // single-byte: byte -> character
    std::unordered_map<char32_t, std::uint8_t> encode_;  // single-byte, from 0x80 up
    mutable std::unordered_map<char32_t, bool> multiByteCache_;
    mutable std::unique_ptr<Converters> converters_;  // opened on first use
};

}  // namespace vt
