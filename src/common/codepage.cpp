#include "common/codepage.h"

#include <iconv.h>

#include <cerrno>
#include <memory>

#include "common/error.h"
#include "common/text.h"

namespace vt {
namespace {

bool IsMultiByte(int number) {
    return number == 932 || number == 936 || number == 949 || number == 950 || number == 1361;
}

class Converter {
public:
    Converter(const std::string& to, const std::string& from)
        : handle_(iconv_open(to.c_str(), from.c_str())) {}
    ~Converter() {
        if (valid()) {
            iconv_close(handle_);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

    // Converts the whole input; false when any part cannot be converted.
    bool Convert(std::string_view in, std::string& out) {
        if (interrupted_) {  // a finished conversion leaves the initial state
            iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        }
        out.clear();
        char* inPtr = const_cast<char*>(in.data());
        std::size_t inLeft = in.size();
        char buffer[1024];
        while (inLeft > 0) {
            char* outPtr = buffer;
            std::size_t outLeft = sizeof buffer;
            const std::size_t rc = iconv(handle_, &inPtr, &inLeft, &outPtr, &outLeft);
            out.append(buffer, sizeof buffer - outLeft);
            if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
                interrupted_ = true;
                return false;
            }
        }
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        iconv(handle_, nullptr, nullptr, &outPtr, &outLeft);
        out.append(buffer, sizeof buffer - outLeft);
        interrupted_ = false;
        return true;
    }

private:
    iconv_t handle_;
    bool interrupted_ = false;
};

}  // namespace

// The conversions a code page needs, opened once.
struct CodePage::Converters {
    explicit Converters(const std::string& name) : toPage(name, "UTF-8"), fromPage("UTF-8", name) {}
    Converter toPage;
    Converter fromPage;
};

CodePage::CodePage() = default;
CodePage::~CodePage() = default;
CodePage::CodePage(CodePage&&) noexcept = default;
CodePage& CodePage::operator=(CodePage&&) noexcept = default;

CodePage::Converters& CodePage::Convert() const {
    if (!converters_) {
        converters_ = std::make_unique<Converters>(iconvName_);
    }
    return *converters_;
}

CodePage CodePage::Open(int number) {
    CodePage page;
    page.number_ = number;
    page.iconvName_ = "CP" + std::to_string(number);
    page.singleByte_ = !IsMultiByte(number);
    Converter probe("UTF-8", page.iconvName_);
    if (number <= 0 || !probe.valid()) {
        throw ErrorException(err::kInvalidArgument,
                             "Code page " + std::to_string(number) + " is not supported.");
    }
    if (page.singleByte_) {
        for (int byte = 0; byte < 256; ++byte) {
            const char in = static_cast<char>(byte);
            std::string utf8;
            char32_t cp = 0xFFFD;
            if (probe.Convert(std::string_view(&in, 1), utf8) && !utf8.empty()) {
                std::size_t pos = 0;
                cp = DecodeNext(utf8, pos);
                if (pos != utf8.size()) {
                    cp = 0xFFFD;  // one byte giving several characters: no clean mapping
                }
            }
            page.decode_[byte] = cp;
            if (byte >= 0x80 && cp != 0xFFFD && !page.encode_.contains(cp)) {
                page.encode_.emplace(cp, static_cast<std::uint8_t>(byte));
            }
        }
    }
    return page;
}

std::optional<std::uint8_t> CodePage::ByteOf(char32_t cp) const {
    if (cp < 0x80) {
        return static_cast<std::uint8_t>(cp);
    }
    if (!singleByte_) {
        return std::nullopt;
    }
    const auto it = encode_.find(cp);
    if (it == encode_.end()) {
        return std::nullopt;
    }
    return it->second;
}

bool CodePage::Represents(char32_t cp) const {
    if (cp < 0x80) {
        return true;
    }
    return singleByte_ ? encode_.contains(cp) : RepresentsMultiByte(cp);
}

// A character exists in the code page only when it comes back as itself:
// the C library writes some characters (in 932, U+00A5 and U+203E) as the
// bytes of others.
bool CodePage::RepresentsMultiByte(char32_t cp) const {
    if (const auto it = multiByteCache_.find(cp); it != multiByteCache_.end()) {
        return it->second;
    }
    std::string utf8;
    AppendUtf8(utf8, cp);
    std::string bytes;
    std::string back;
    const bool ok = Convert().toPage.valid() && Convert().toPage.Convert(utf8, bytes) && !bytes.empty() &&
                    Convert().fromPage.Convert(bytes, back) && back == utf8;
    multiByteCache_.emplace(cp, ok);
    return ok;
}

std::string CodePage::Encode(std::string_view utf8) const {
    std::string out;
    out.reserve(utf8.size());
    bool ascii = true;
    for (const char c : utf8) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii) {
        out.assign(utf8);
        return out;
    }
    if (singleByte_) {
        std::size_t pos = 0;
        while (pos < utf8.size()) {
            const char32_t cp = DecodeNext(utf8, pos);
            const auto byte = ByteOf(cp);
            if (!byte) {
                throw ErrorException(err::kInternal, "A character cannot be written in code page " +
                                                         std::to_string(number_) + ".");
            }
            out += static_cast<char>(*byte);
        }
        return out;
    }
    bool fits = Convert().toPage.valid();
    ForEachCodePoint(utf8, [&](char32_t c) { fits = fits && Represents(c); });
    if (!fits || !Convert().toPage.Convert(utf8, out)) {
        throw ErrorException(err::kInternal, "A character cannot be written in code page " +
                                                 std::to_string(number_) + ".");
    }
    return out;
}

void CodePage::AppendEncoded(std::string_view utf8, std::string& out) const {
    // Every code page written here keeps ASCII as it is.
    if (IsAscii(utf8)) {
        out.append(utf8);
    } else {
        out += Encode(utf8);
    }
}

std::string CodePage::Decode(std::string_view bytes) const {
    std::string out;
    if (singleByte_) {
        out.reserve(bytes.size());
        for (const char c : bytes) {
            AppendUtf8(out, decode_[static_cast<unsigned char>(c)]);
        }
        return out;
    }
    if (Convert().fromPage.valid() && Convert().fromPage.Convert(bytes, out)) {
        return out;
    }
    // Keep what converts; mark what does not.
    out.clear();
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        AppendUtf8(out, byte < 0x80 ? byte : 0xFFFD);
    }
    return out;
}

}  // namespace vt
