#include "dbaccess/jet/office_crypto.h"

#include <string.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <memory>
#include <new>
#include <initializer_list>
#include <optional>

#include "common/error.h"
#include "common/text.h"
#include "dbaccess/jet/jet_file.h"
#include "dbaccess/jet/libcrypto.h"
#include "dbaccess/jet/libexpat.h"

namespace vt::jet {
namespace {

// Version numbers of the description, and the flags of the binary header.
constexpr std::uint32_t kAgileReserved = 0x40;
constexpr std::uint32_t kFlagCryptoApi = 0x04;
constexpr std::uint32_t kFlagExternal = 0x10;
constexpr std::uint32_t kFlagAes = 0x20;
constexpr std::uint32_t kAlgRc4 = 0x6801;
constexpr std::uint32_t kAlgAes128 = 0x660E;
constexpr std::uint32_t kAlgAes192 = 0x660F;
constexpr std::uint32_t kAlgAes256 = 0x6610;
constexpr std::uint32_t kAlgSha1 = 0x8004;
constexpr std::size_t kBinaryHeaderFields = 32;  // eight 32-bit fields before the provider name
constexpr std::uint32_t kVerifierSaltSize = 16;
constexpr std::uint32_t kSha1Size = 20;
constexpr std::uint32_t kAesBlock = 16;
constexpr std::uint32_t kFormatMaxSpinCount = 10'000'000;
constexpr std::size_t kMaxPasswordUnits = 255;  // longer passwords are cut, as Access does

// The block keys of agile encryption (fixed by the Office format).
constexpr std::array<std::uint8_t, 8> kVerifierInputBlock = {0xFE, 0xA7, 0xD2, 0x76,
                                                             0x3B, 0x4B, 0x9E, 0x79};
constexpr std::array<std::uint8_t, 8> kVerifierValueBlock = {0xD7, 0xAA, 0x0F, 0x6D,
                                                             0x30, 0x61, 0x34, 0x4E};
constexpr std::array<std::uint8_t, 8> kKeyValueBlock = {0x14, 0x6E, 0x0B, 0xE7,
                                                        0xAB, 0xAC, 0xD0, 0xD6};

constexpr std::string_view kPasswordKeyUri =
    "http://schemas.microsoft.com/office/2006/keyEncryptor/password";
constexpr std::string_view kCertificateKeyUri =
    "http://schemas.microsoft.com/office/2006/keyEncryptor/certificate";

[[noreturn]] void BadHeader(const std::string& what) {
    Damaged("its encryption header is damaged: " + what);
}

[[noreturn]] void Unsupported(const std::string& what) {
    Unrecognised("it is encrypted with " + what + ", which this program cannot decrypt");
}

[[noreturn]] void WrongPassword() {
    throw ErrorException(err::kEngineBadPassword, "Not a valid password.", kEngineSource);
}

[[noreturn]] void CryptoFailed(const char* what) {
    throw ErrorException(err::kInternal,
                         std::string("The cryptography library could not ") + what + ".",
                         kRuntimeSource);
}

// Key material: wiped when it goes.
class Secret {
public:
    Secret() = default;
    explicit Secret(std::size_t size) : bytes_(size) {}
    Secret(const Secret&) = delete;
    Secret& operator=(const Secret&) = delete;
    Secret(Secret&& other) noexcept : bytes_(std::move(other.bytes_)) {}
    Secret& operator=(Secret&& other) noexcept {
        Wipe();
        bytes_ = std::move(other.bytes_);
        return *this;
    }
    ~Secret() { Wipe(); }

    std::uint8_t* data() { return bytes_.data(); }
    const std::uint8_t* data() const { return bytes_.data(); }
    std::size_t size() const { return bytes_.size(); }
    std::span<const std::uint8_t> span() const { return bytes_; }
    // Cuts to `size`, or fills up to it with `pad`.
    void Fit(std::size_t size, std::uint8_t pad) {
        if (size < bytes_.size()) {
            explicit_bzero(bytes_.data() + size, bytes_.size() - size);
        }
        bytes_.resize(size, pad);
    }

private:
    void Wipe() {
        if (!bytes_.empty()) {
            explicit_bzero(bytes_.data(), bytes_.size());
        }
    }
    std::vector<std::uint8_t> bytes_;
};

std::array<std::uint8_t, 4> Le32(std::uint32_t value) {
    return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

// The password as Office hashes it: UTF-16LE, at most 255 units.
Secret PasswordBytes(std::string_view utf8) {
    std::vector<std::uint16_t> units;
    ForEachCodePoint(utf8, [&](char32_t cp) {
        if (cp >= 0x10000) {
            units.push_back(static_cast<std::uint16_t>(0xD800 + ((cp - 0x10000) >> 10)));
            units.push_back(static_cast<std::uint16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        } else {
            units.push_back(static_cast<std::uint16_t>(cp));
        }
    });
    units.resize(std::min(units.size(), kMaxPasswordUnits));
    Secret bytes(units.size() * 2);
    for (std::size_t i = 0; i < units.size(); ++i) {
        bytes.data()[2 * i] = static_cast<std::uint8_t>(units[i]);
        bytes.data()[2 * i + 1] = static_cast<std::uint8_t>(units[i] >> 8);
    }
    explicit_bzero(units.data(), units.size() * sizeof(std::uint16_t));
    return bytes;
}

// --- OpenSSL, held by owners that free it --------------------------------

struct MdFree {
    void operator()(EVP_MD* md) const { Crypto().EVP_MD_free(md); }
};
struct MdCtxFree {
    void operator()(EVP_MD_CTX* ctx) const { Crypto().EVP_MD_CTX_free(ctx); }
};
struct CipherFree {
    void operator()(EVP_CIPHER* cipher) const { Crypto().EVP_CIPHER_free(cipher); }
};
struct CipherCtxFree {
    void operator()(EVP_CIPHER_CTX* ctx) const { Crypto().EVP_CIPHER_CTX_free(ctx); }
};

const char* HashName(OfficeHash hash) {
    switch (hash) {
        case OfficeHash::kSha1: return "SHA1";
        case OfficeHash::kSha256: return "SHA256";
        case OfficeHash::kSha384: return "SHA384";
        case OfficeHash::kSha512: return "SHA512";
    }
    return "SHA1";
}

std::uint32_t HashSize(OfficeHash hash) {
    switch (hash) {
        case OfficeHash::kSha1: return 20;
        case OfficeHash::kSha256: return 32;
        case OfficeHash::kSha384: return 48;
        case OfficeHash::kSha512: return 64;
    }
    return 20;
}

class Hasher {
public:
    explicit Hasher(OfficeHash hash)
        : md_(Crypto().EVP_MD_fetch(nullptr, HashName(hash), nullptr)),
          ctx_(Crypto().EVP_MD_CTX_new()) {
        if (!md_ || !ctx_) {
            CryptoFailed("provide a hash function");
        }
        size_ = static_cast<std::size_t>(Crypto().EVP_MD_get_size(md_.get()));
    }

    std::size_t Size() const { return size_; }

    // The hash of the pieces one after the other, into `out` (Size() bytes).
    void Into(std::initializer_list<std::span<const std::uint8_t>> pieces, std::uint8_t* out) const {
        unsigned int length = 0;
        bool ok = Crypto().EVP_DigestInit_ex2(ctx_.get(), md_.get(), nullptr) == 1;
        for (const auto& piece : pieces) {
            ok = ok && Crypto().EVP_DigestUpdate(ctx_.get(), piece.data(), piece.size()) == 1;
        }
        ok = ok && Crypto().EVP_DigestFinal_ex(ctx_.get(), out, &length) == 1;
        if (!ok || length != size_) {
            CryptoFailed("compute a hash");
        }
    }

    Secret Of(std::initializer_list<std::span<const std::uint8_t>> pieces) const {
        Secret out(size_);
        Into(pieces, out.data());
        return out;
    }

    // H(salt + password), then `rounds` times H(round number + previous).
    // The rounds are most of the time an open takes, so the context is
    // reset in place rather than set up again for each.
    Secret Iterated(std::span<const std::uint8_t> salt, const Secret& password,
                    std::uint32_t rounds) const {
        Secret hash = Of({salt, password.span()});
        const Libcrypto& crypto = Crypto();
        for (std::uint32_t i = 0; i < rounds; ++i) {
            const auto round = Le32(i);
            unsigned int length = 0;
            if (crypto.EVP_DigestInit_ex2(ctx_.get(), nullptr, nullptr) != 1 ||
                crypto.EVP_DigestUpdate(ctx_.get(), round.data(), round.size()) != 1 ||
                crypto.EVP_DigestUpdate(ctx_.get(), hash.data(), hash.size()) != 1 ||
                crypto.EVP_DigestFinal_ex(ctx_.get(), hash.data(), &length) != 1 || length != size_) {
                CryptoFailed("compute a hash");
            }
        }
        return hash;
    }

private:
    std::unique_ptr<EVP_MD, MdFree> md_;
    std::unique_ptr<EVP_MD_CTX, MdCtxFree> ctx_;
    std::size_t size_ = 0;
};

// AES without padding, CBC or ECB, for keys of 16, 24 or 32 bytes.
class Aes {
public:
    Aes(bool cbc, std::size_t keyBytes) {
        const std::string name = "AES-" + std::to_string(keyBytes * 8) + (cbc ? "-CBC" : "-ECB");
        cipher_.reset(Crypto().EVP_CIPHER_fetch(nullptr, name.c_str(), nullptr));
        if (!cipher_) {
            CryptoFailed("provide AES");
        }
        keyBytes_ = keyBytes;
    }

    // Decrypts `data` in place; its size is a multiple of 16.
    void Decrypt(std::span<const std::uint8_t> key, const std::uint8_t* iv,
                 std::span<std::uint8_t> data) const {
        if (key.size() != keyBytes_ || data.size() % kAesBlock != 0) {
            CryptoFailed("decrypt a block of the wrong size");
        }
        const Libcrypto& crypto = Crypto();
        std::unique_ptr<EVP_CIPHER_CTX, CipherCtxFree> ctx(crypto.EVP_CIPHER_CTX_new());
        int written = 0;
        int last = 0;
        const bool ok = ctx &&
                        crypto.EVP_DecryptInit_ex2(ctx.get(), cipher_.get(), key.data(), iv, nullptr) == 1 &&
                        crypto.EVP_CIPHER_CTX_set_padding(ctx.get(), 0) == 1 &&
                        crypto.EVP_DecryptUpdate(ctx.get(), data.data(), &written, data.data(),
                                                 static_cast<int>(data.size())) == 1 &&
                        crypto.EVP_DecryptFinal_ex(ctx.get(), data.data() + written, &last) == 1;
        if (!ok || static_cast<std::size_t>(written + last) != data.size()) {
            CryptoFailed("decrypt with AES");
        }
    }

private:
    std::unique_ptr<EVP_CIPHER, CipherFree> cipher_;
    std::size_t keyBytes_ = 0;
};

// --- The description ------------------------------------------------------

std::string HashLabel(OfficeHash hash) {
    switch (hash) {
        case OfficeHash::kSha1: return "SHA-1";
        case OfficeHash::kSha256: return "SHA-256";
        case OfficeHash::kSha384: return "SHA-384";
        case OfficeHash::kSha512: return "SHA-512";
    }
    return "SHA-1";
}

// A start tag of the XML description: its local name and attributes.
struct Tag {
    std::string name;  // without its namespace prefix
    bool closing = false;
    std::vector<std::pair<std::string, std::string>> attributes;

    std::optional<std::string_view> Attribute(std::string_view wanted) const {
        for (const auto& [key, value] : attributes) {
            if (key == wanted) {
                return value;
            }
        }
        return std::nullopt;
    }
};

std::string LocalName(std::string_view name) {
    const std::size_t colon = name.rfind(':');
    return std::string(colon == std::string_view::npos ? name : name.substr(colon + 1));
}

// The description's elements in document order, an end tag after each
// element's content. Expat parses; a document type declaration (and with it
// any entity) is refused, as Office never writes one.
class TagReader {
public:
    std::vector<Tag> Read(std::string_view xml) {
        const Libexpat& expat = Expat();
        const std::unique_ptr<XML_ParserStruct, decltype(expat.XML_ParserFree)> parser(
            expat.XML_ParserCreate(nullptr), expat.XML_ParserFree);
        if (!parser) {
            throw std::bad_alloc();
        }
        parser_ = parser.get();
        expat.XML_SetUserData(parser.get(), this);
        expat.XML_SetElementHandler(parser.get(), &TagReader::Start, &TagReader::End);
        expat.XML_SetStartDoctypeDeclHandler(parser.get(), &TagReader::Doctype);
        const int size = static_cast<int>(std::min<std::size_t>(xml.size(), INT32_MAX));
        if (expat.XML_Parse(parser.get(), xml.data(), size, XML_TRUE) != XML_STATUS_OK) {
            BadHeader(failure_ != nullptr
                          ? failure_
                          : "its XML text is malformed (" +
                                std::string(expat.XML_ErrorString(expat.XML_GetErrorCode(parser.get()))) + ")");
        }
        return std::move(tags_);
    }

private:
    // Nothing may be thrown through the parser's C frames.
    static void Start(void* self, const XML_Char* name, const XML_Char** attributes) noexcept {
        auto* reader = static_cast<TagReader*>(self);
        try {
            Tag tag;
            tag.name = LocalName(name);
            for (std::size_t i = 0; attributes[i] != nullptr; i += 2) {
                tag.attributes.emplace_back(LocalName(attributes[i]), attributes[i + 1]);
            }
            reader->tags_.push_back(std::move(tag));
        } catch (const std::bad_alloc&) {
            reader->Stop("it is too large to read");
        }
    }
    static void End(void* self, const XML_Char* name) noexcept {
        auto* reader = static_cast<TagReader*>(self);
        try {
            reader->tags_.push_back(Tag{LocalName(name), true, {}});
        } catch (const std::bad_alloc&) {
            reader->Stop("it is too large to read");
        }
    }
    static void Doctype(void* self, const XML_Char*, const XML_Char*, const XML_Char*, int) noexcept {
        static_cast<TagReader*>(self)->Stop("its XML text has a document type declaration");
    }
    void Stop(const char* why) noexcept {
        failure_ = why;
        Expat().XML_StopParser(parser_, XML_FALSE);
    }

    std::vector<Tag> tags_;
    const char* failure_ = nullptr;  // why the reader stopped the parser
    XML_Parser parser_ = nullptr;
};

std::uint32_t ReadNumber(const Tag& tag, std::string_view name) {
    const auto text = tag.Attribute(name);
    if (!text) {
        BadHeader("<" + std::string(tag.name) + "> has no " + std::string(name));
    }
    std::uint64_t value = 0;
    if (text->empty() || text->size() > 10) {
        BadHeader(std::string(name) + " \"" + std::string(*text) + "\" is not a number in range");
    }
    for (const char c : *text) {
        if (c < '0' || c > '9') {
            BadHeader(std::string(name) + " \"" + std::string(*text) + "\" is not a number");
        }
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (value > 0xFFFFFFFFu) {
        BadHeader(std::string(name) + " " + std::string(*text) + " is out of range");
    }
    return static_cast<std::uint32_t>(value);
}

std::string_view ReadText(const Tag& tag, std::string_view name) {
    const auto text = tag.Attribute(name);
    if (!text) {
        BadHeader("<" + std::string(tag.name) + "> has no " + std::string(name));
    }
    return *text;
}

std::vector<std::uint8_t> ReadBase64(const Tag& tag, std::string_view name) {
    const std::string_view text = ReadText(tag, name);
    const std::size_t firstPad = text.find('=');
    if (text.empty() || text.size() % 4 != 0 || text.size() > INT32_MAX ||
        (firstPad != std::string_view::npos && firstPad + 2 < text.size())) {
        BadHeader(std::string(name) + " is not base64 text");
    }
    std::vector<std::uint8_t> out(text.size() / 4 * 3);
    const int decoded =
        Crypto().EVP_DecodeBlock(out.data(), reinterpret_cast<const unsigned char*>(text.data()),
                                 static_cast<int>(text.size()));
    if (decoded < 0) {
        BadHeader(std::string(name) + " is not base64 text");
    }
    // The decoder counts the padding as bytes.
    out.resize(static_cast<std::size_t>(decoded) - (text.size() - std::min(firstPad, text.size())));
    return out;
}

OfficeHash ReadHash(const Tag& tag) {
    std::string name;
    for (const char c : ReadText(tag, "hashAlgorithm")) {
        if (c != '-') {
            name += c;
        }
    }
    if (name == "SHA1") return OfficeHash::kSha1;
    if (name == "SHA256") return OfficeHash::kSha256;
    if (name == "SHA384") return OfficeHash::kSha384;
    if (name == "SHA512") return OfficeHash::kSha512;
    Unsupported("the hash algorithm \"" + name.substr(0, 40) + "\"");
}

// The parameters both agile elements share, checked for what AES-CBC needs.
AgileKey ReadAgileKey(const Tag& tag) {
    const std::string label = std::string("<").append(tag.name).append(">");
    AgileKey key;
    const std::string_view cipher = ReadText(tag, "cipherAlgorithm");
    if (cipher != "AES") {
        Unsupported("the cipher \"" + std::string(cipher.substr(0, 40)) + "\"");
    }
    const std::string_view chaining = ReadText(tag, "cipherChaining");
    if (chaining != "ChainingModeCBC") {
        Unsupported("the chaining mode \"" + std::string(chaining.substr(0, 40)) + "\"");
    }
    key.hash = ReadHash(tag);
    key.keyBits = ReadNumber(tag, "keyBits");
    if (key.keyBits != 128 && key.keyBits != 192 && key.keyBits != 256) {
        BadHeader(label + " gives AES a key of " + std::to_string(key.keyBits) + " bits");
    }
    key.blockSize = ReadNumber(tag, "blockSize");
    if (key.blockSize != kAesBlock) {
        BadHeader(label + " gives AES blocks of " + std::to_string(key.blockSize) + " bytes");
    }
    key.hashSize = ReadNumber(tag, "hashSize");
    if (key.hashSize != HashSize(key.hash)) {
        BadHeader(label + " gives " + HashLabel(key.hash) + " a size of " + std::to_string(key.hashSize) +
                  " bytes");
    }
    const std::uint32_t saltSize = ReadNumber(tag, "saltSize");
    key.salt = ReadBase64(tag, "saltValue");
    if (saltSize == 0 || saltSize != key.salt.size()) {
        BadHeader(label + " gives a salt of " + std::to_string(saltSize) + " bytes but holds " +
                  std::to_string(key.salt.size()));
    }
    return key;
}

// Encrypted values: whole AES blocks, at least `needed` bytes.
std::vector<std::uint8_t> ReadEncrypted(const Tag& tag, std::string_view name, std::size_t needed) {
    std::vector<std::uint8_t> value = ReadBase64(tag, name);
    if (value.size() < needed || value.size() % kAesBlock != 0) {
        BadHeader(std::string(name) + " is " + std::to_string(value.size()) + " bytes long");
    }
    return value;
}

// The two elements agile encryption is read from: <keyData> and the
// password's <encryptedKey>.
struct AgileElements {
    const Tag* keyData = nullptr;
    const Tag* passwordKey = nullptr;
};

AgileElements FindAgileElements(const std::vector<Tag>& tags) {
    const Tag* keyData = nullptr;
    const Tag* passwordKey = nullptr;
    bool rootSeen = false;
    bool certificate = false;
    std::string_view encryptorUri;
    for (const Tag& tag : tags) {
        if (tag.closing) {
            if (tag.name == "keyEncryptor") {
                encryptorUri = {};
            }
            continue;
        }
        if (tag.name == "encryption") {
            rootSeen = true;
        } else if (tag.name == "keyData") {
            if (keyData != nullptr) {
                BadHeader("it holds two <keyData> elements");
            }
            keyData = &tag;
        } else if (tag.name == "keyEncryptor") {
            encryptorUri = tag.Attribute("uri").value_or("");
        } else if (tag.name == "encryptedKey") {
            if (encryptorUri == kPasswordKeyUri) {
                if (passwordKey != nullptr) {
                    BadHeader("it holds two password key encryptors");
                }
                passwordKey = &tag;
            } else if (encryptorUri == kCertificateKeyUri) {
                certificate = true;
            }
        }
    }
    if (!rootSeen || keyData == nullptr) {
        BadHeader("its XML text has no <encryption> with <keyData>");
    }
    if (passwordKey == nullptr) {
        if (certificate) {
            Unsupported("a certificate instead of a password");
        }
        BadHeader("it has no password key encryptor");
    }
    return {keyData, passwordKey};
}

OfficeEncryption ReadAgile(Bytes xmlBytes) {
    std::size_t length = 0;
    while (length < xmlBytes.size() && xmlBytes.data()[length] != 0) {
        ++length;
    }
    const std::string_view xml(reinterpret_cast<const char*>(xmlBytes.data()), length);
    const std::vector<Tag> tags = TagReader().Read(xml);

    const AgileElements elements = FindAgileElements(tags);
    OfficeEncryption encryption;
    encryption.kind = OfficeKind::kAgile;
    encryption.keyData = ReadAgileKey(*elements.keyData);
    encryption.passwordKey = ReadAgileKey(*elements.passwordKey);
    encryption.keyBits = encryption.keyData.keyBits;
    encryption.spinCount = ReadNumber(*elements.passwordKey, "spinCount");
    if (encryption.spinCount > kFormatMaxSpinCount) {
        BadHeader("it asks for " + std::to_string(encryption.spinCount) +
                  " rounds of password hashing, more than the format's 10,000,000");
    }
    if (encryption.spinCount > kMaxSpinCount) {
        BadHeader("it asks for " + std::to_string(encryption.spinCount) +
                  " rounds of password hashing; Access writes 100,000 and this program accepts at most " +
                  "1,000,000");
    }
    encryption.encryptedVerifierHashInput =
        ReadEncrypted(*elements.passwordKey, "encryptedVerifierHashInput", encryption.passwordKey.salt.size());
    encryption.encryptedVerifierHashValue =
        ReadEncrypted(*elements.passwordKey, "encryptedVerifierHashValue", encryption.passwordKey.hashSize);
    encryption.encryptedKeyValue =
        ReadEncrypted(*elements.passwordKey, "encryptedKeyValue", encryption.keyData.keyBits / 8);
    return encryption;
}

// The kind and key size a binary header gives; the size of its verifier's
// encrypted hash.
std::size_t ReadBinaryKind(std::uint32_t flags, std::uint32_t algorithm, std::uint32_t keyBits,
                           OfficeEncryption& encryption) {
    std::size_t hashBytes = kSha1Size;
    if ((flags & kFlagAes) != 0) {
        encryption.kind = OfficeKind::kStandard;
        std::uint32_t wanted = 0;
        switch (algorithm) {
            case 0:
            case kAlgAes128: wanted = 128; break;
            case kAlgAes192: wanted = 192; break;
            case kAlgAes256: wanted = 256; break;
            case kAlgRc4: BadHeader("it is flagged AES but names RC4");
            default: Unsupported("the algorithm " + std::to_string(algorithm));
        }
        if (keyBits == 0) {
            keyBits = wanted;
        }
        if (keyBits != wanted) {
            BadHeader("it gives AES-" + std::to_string(wanted) + " a key of " + std::to_string(keyBits) +
                      " bits");
        }
        hashBytes = 32;  // SHA-1 padded to whole AES blocks
    } else {
        encryption.kind = OfficeKind::kRc4CryptoApi;
        if (algorithm == kAlgAes128 || algorithm == kAlgAes192 || algorithm == kAlgAes256) {
            // AES named without the AES flag: a variant of an older
            // compatibility mode, not one of the kinds read here.
            Unsupported("AES without the AES flag");
        }
        if (algorithm != 0 && algorithm != kAlgRc4) {
            Unsupported("the algorithm " + std::to_string(algorithm));
        }
        if (keyBits == 0) {
            keyBits = 40;
        }
        if (keyBits < 40 || keyBits > 128 || keyBits % 8 != 0) {
            BadHeader("it gives RC4 a key of " + std::to_string(keyBits) + " bits");
        }
    }
    encryption.keyBits = keyBits;
    return hashBytes;
}

// Standard and RC4 CryptoAPI: a binary header and verifier.
OfficeEncryption ReadBinary(Bytes info) {
    if (info.size() < 12) {
        BadHeader("it ends before its header");
    }
    const std::uint32_t flagsCopy = info.U32(4);
    const std::uint32_t headerSize = info.U32(8);
    if (headerSize < kBinaryHeaderFields || headerSize > info.size() - 12) {
        BadHeader("its header is said to be " + std::to_string(headerSize) + " bytes long, in " +
                  std::to_string(info.size() - 12) + " bytes");
    }
    const Bytes header = info.Sub(12, headerSize);
    const std::uint32_t flags = header.U32(0);
    const std::uint32_t algorithm = header.U32(8);
    const std::uint32_t hash = header.U32(12);
    const std::uint32_t keyBits = header.U32(16);
    if (flags != flagsCopy) {
        BadHeader("its two copies of the flags differ");
    }
    if ((flags & kFlagExternal) != 0) {
        Unsupported("an external encryption provider");
    }
    if ((flags & kFlagCryptoApi) == 0) {
        Unsupported("an encryption that does not use CryptoAPI (flags " + std::to_string(flags) + ")");
    }
    if (hash != 0 && hash != kAlgSha1) {
        Unsupported("the hash algorithm " + std::to_string(hash));
    }

    OfficeEncryption encryption;
    const std::size_t hashBytes = ReadBinaryKind(flags, algorithm, keyBits, encryption);

    const Bytes verifier = info.From(12 + headerSize);
    if (verifier.size() < 4) {
        BadHeader("it ends before its verifier");
    }
    const std::uint32_t saltSize = verifier.U32(0);
    if (saltSize != kVerifierSaltSize) {
        BadHeader("it gives a salt of " + std::to_string(saltSize) + " bytes, not 16");
    }
    const std::size_t verifierEnd = 4 + kVerifierSaltSize + 16 + 4 + hashBytes;
    if (verifier.size() < verifierEnd) {
        BadHeader("its verifier is cut short");
    }
    const std::uint32_t verifierHashSize = verifier.U32(4 + kVerifierSaltSize + 16);
    if (verifierHashSize != kSha1Size) {
        BadHeader("it gives the verifier's SHA-1 hash " + std::to_string(verifierHashSize) + " bytes");
    }
    auto copy = [&](std::size_t offset, std::size_t size) {
        const Bytes piece = verifier.Sub(offset, size);
        return std::vector<std::uint8_t>(piece.data(), piece.data() + piece.size());
    };
    encryption.salt = copy(4, kVerifierSaltSize);
    encryption.encryptedVerifier = copy(4 + kVerifierSaltSize, 16);
    encryption.encryptedVerifierHash = copy(4 + kVerifierSaltSize + 16 + 4, hashBytes);
    return encryption;
}

// --- Keys and pages ----------------------------------------------------------

bool SameBytes(const std::uint8_t* a, const std::uint8_t* b, std::size_t size) {
    return Crypto().CRYPTO_memcmp(a, b, size) == 0;
}

class AgileDecryptor final : public OfficeDecryptor {
public:
    AgileDecryptor(const OfficeEncryption& e, std::uint32_t databaseKey, const Secret& password)
        : databaseKey_(databaseKey),
          salt_(e.keyData.salt),
          blockSize_(e.keyData.blockSize),
          pageHash_(e.keyData.hash),
          pageAes_(true, e.keyData.keyBits / 8) {
        const AgileKey& p = e.passwordKey;
        const Hasher hash(p.hash);
        const Secret base = hash.Iterated(p.salt, password, e.spinCount);
        auto keyFor = [&](std::span<const std::uint8_t> block) {
            Secret key = hash.Of({base.span(), block});
            key.Fit(p.keyBits / 8, 0x36);
            return key;
        };
        std::vector<std::uint8_t> iv(p.salt);
        iv.resize(p.blockSize, 0x36);
        const Aes aes(true, p.keyBits / 8);

        Secret input(e.encryptedVerifierHashInput.size());
        std::copy(e.encryptedVerifierHashInput.begin(), e.encryptedVerifierHashInput.end(), input.data());
        aes.Decrypt(keyFor(kVerifierInputBlock).span(), iv.data(), std::span(input.data(), input.size()));
        Secret value(e.encryptedVerifierHashValue.size());
        std::copy(e.encryptedVerifierHashValue.begin(), e.encryptedVerifierHashValue.end(), value.data());
        aes.Decrypt(keyFor(kVerifierValueBlock).span(), iv.data(), std::span(value.data(), value.size()));
        const Secret expected = hash.Of({std::span<const std::uint8_t>(input.data(), p.salt.size())});
        if (!SameBytes(expected.data(), value.data(), p.hashSize)) {
            WrongPassword();
        }

        key_ = Secret(e.encryptedKeyValue.size());
        std::copy(e.encryptedKeyValue.begin(), e.encryptedKeyValue.end(), key_.data());
        aes.Decrypt(keyFor(kKeyValueBlock).span(), iv.data(), std::span(key_.data(), key_.size()));
        key_.Fit(e.keyData.keyBits / 8, 0);
    }

    void DecryptPage(std::uint32_t number, std::span<std::uint8_t> page) const override {
        // Each page's IV is the hash of the key data's salt and its block key.
        const auto block = Le32(databaseKey_ ^ number);
        Secret iv = pageHash_.Of({salt_, block});
        iv.Fit(blockSize_, 0x36);
        pageAes_.Decrypt(key_.span(), iv.data(), page);
    }

private:
    std::uint32_t databaseKey_;
    std::vector<std::uint8_t> salt_;
    std::size_t blockSize_;
    Hasher pageHash_;
    Aes pageAes_;
    Secret key_;
};

class StandardDecryptor final : public OfficeDecryptor {
public:
    StandardDecryptor(const OfficeEncryption& e, std::uint32_t databaseKey, const Secret& password)
        : databaseKey_(databaseKey),
          keyBytes_(e.keyBits / 8),
          hash_(OfficeHash::kSha1),
          aes_(false, keyBytes_),
          base_(hash_.Iterated(e.salt, password, kStandardSpinCount)) {
        Secret check(e.encryptedVerifier.size() + e.encryptedVerifierHash.size());
        std::copy(e.encryptedVerifier.begin(), e.encryptedVerifier.end(), check.data());
        std::copy(e.encryptedVerifierHash.begin(), e.encryptedVerifierHash.end(),
                  check.data() + e.encryptedVerifier.size());
        aes_.Decrypt(KeyFor(0).span(), nullptr, std::span(check.data(), check.size()));
        const Secret expected = hash_.Of({std::span<const std::uint8_t>(check.data(), 16)});
        if (!SameBytes(expected.data(), check.data() + 16, kSha1Size)) {
            WrongPassword();
        }
    }

    void DecryptPage(std::uint32_t number, std::span<std::uint8_t> page) const override {
        aes_.Decrypt(KeyFor(databaseKey_ ^ number).span(), nullptr, page);
    }

private:
    // The key for one block: H(base + block), widened through the 0x36 and
    // 0x5C pads of CryptoAPI's key derivation.
    Secret KeyFor(std::uint32_t blockNumber) const {
        const auto block = Le32(blockNumber);
        const Secret final = hash_.Of({base_.span(), block});
        Secret pad1(64);
        Secret pad2(64);
        for (std::size_t i = 0; i < 64; ++i) {
            const std::uint8_t h = i < final.size() ? final.data()[i] : 0;
            pad1.data()[i] = static_cast<std::uint8_t>(0x36 ^ h);
            pad2.data()[i] = static_cast<std::uint8_t>(0x5C ^ h);
        }
        Secret key(2 * kSha1Size);
        hash_.Into({pad1.span()}, key.data());
        hash_.Into({pad2.span()}, key.data() + kSha1Size);
        key.Fit(keyBytes_, 0);
        return key;
    }

    std::uint32_t databaseKey_;
    std::size_t keyBytes_;
    Hasher hash_;
    Aes aes_;
    Secret base_;
};

// RC4 here is the reader's own (jet_file.cpp), the one the Jet page cipher
// uses: OpenSSL 3 keeps RC4 only in its legacy provider, which a system may
// lack and which, once loaded, offers every legacy algorithm to the process.
class Rc4Decryptor final : public OfficeDecryptor {
public:
    Rc4Decryptor(const OfficeEncryption& e, std::uint32_t databaseKey, const Secret& password)
        : databaseKey_(databaseKey),
          keyBits_(e.keyBits),
          hash_(OfficeHash::kSha1),
          base_(hash_.Iterated(e.salt, password, 0)) {
        // The verifier and its hash are one RC4 stream.
        Secret check(e.encryptedVerifier.size() + e.encryptedVerifierHash.size());
        std::copy(e.encryptedVerifier.begin(), e.encryptedVerifier.end(), check.data());
        std::copy(e.encryptedVerifierHash.begin(), e.encryptedVerifierHash.end(),
                  check.data() + e.encryptedVerifier.size());
        const Secret key = KeyFor(0);
        Rc4Apply(key.data(), key.size(), check.data(), check.size());
        const Secret expected = hash_.Of({std::span<const std::uint8_t>(check.data(), 16)});
        if (!SameBytes(expected.data(), check.data() + 16, kSha1Size)) {
            WrongPassword();
        }
    }

    void DecryptPage(std::uint32_t number, std::span<std::uint8_t> page) const override {
        const Secret key = KeyFor(databaseKey_ ^ number);
        Rc4Apply(key.data(), key.size(), page.data(), page.size());
    }

private:
    // H(base + block), cut to the key size; a 40-bit key is used as 128 bits
    // with zeros after it, as CryptoAPI does.
    Secret KeyFor(std::uint32_t blockNumber) const {
        const auto block = Le32(blockNumber);
        Secret key = hash_.Of({base_.span(), block});
        key.Fit(keyBits_ / 8, 0);
        if (keyBits_ == 40) {
            key.Fit(16, 0);
        }
        return key;
    }

    std::uint32_t databaseKey_;
    std::uint32_t keyBits_;
    Hasher hash_;
    Secret base_;
};

}  // namespace

std::string OfficeEncryption::Describe() const {
    switch (kind) {
        case OfficeKind::kAgile:
            return "agile encryption (AES-" + std::to_string(keyBits) + ", " + HashLabel(keyData.hash) + ")";
        case OfficeKind::kStandard:
            return "standard encryption (AES-" + std::to_string(keyBits) + ", SHA-1)";
        case OfficeKind::kRc4CryptoApi:
            return "RC4 CryptoAPI encryption (" + std::to_string(keyBits) + "-bit key, SHA-1)";
    }
    return "Office encryption";
}

OfficeEncryption ReadOfficeEncryption(Bytes header) {
    if (!header.Has(kOfficeInfoOffset, 2)) {
        BadHeader("the header page is too short to hold it");
    }
    const std::size_t length = header.U16(kOfficeInfoOffset);
    if (!header.Has(kOfficeInfoOffset + 2, length)) {
        BadHeader("it is said to be " + std::to_string(length) + " bytes long, past the header page");
    }
    if (length < 8) {
        BadHeader("it is " + std::to_string(length) + " bytes long, too short for any kind");
    }
    const Bytes info = header.Sub(kOfficeInfoOffset + 2, length);
    const std::uint16_t major = info.U16(0);
    const std::uint16_t minor = info.U16(2);
    if (major == 4 && minor == 4) {
        if (info.U32(4) != kAgileReserved) {
            BadHeader("its agile description does not start as one");
        }
        return ReadAgile(info.From(8));
    }
    if (minor == 2 && major >= 2 && major <= 4) {
        return ReadBinary(info);
    }
    if (minor == 3 && (major == 3 || major == 4)) {
        Unsupported("an extensible encryption provider");
    }
    if (major == 1 && minor == 1) {
        Unsupported("the RC4 encryption of Office 97 documents");
    }
    Unsupported("an encryption of version " + std::to_string(major) + "." + std::to_string(minor));
}

std::unique_ptr<OfficeDecryptor> UnlockOffice(const OfficeEncryption& encryption,
                                              std::uint32_t databaseKey,
                                              std::string_view password) {
    const Secret bytes = PasswordBytes(password);
    switch (encryption.kind) {
        case OfficeKind::kAgile: return std::make_unique<AgileDecryptor>(encryption, databaseKey, bytes);
        case OfficeKind::kStandard: return std::make_unique<StandardDecryptor>(encryption, databaseKey, bytes);
        case OfficeKind::kRc4CryptoApi: return std::make_unique<Rc4Decryptor>(encryption, databaseKey, bytes);
    }
    Unsupported("an unknown kind");
}

}  // namespace vt::jet
