#pragma once
// Office document encryption as Access applies it to an .accdb file: the
// description of the encryption kept in the header page, the key made from
// the password and checked against the stored verifier, and pages decrypted
// one at a time as the reader asks for them.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "dbaccess/jet/jet_bytes.h"

namespace vt::jet {

// The header page keeps the description here: a 16-bit length, then as
// many bytes (outside the masked area, so stored as is).
inline constexpr std::size_t kOfficeInfoOffset = 0x299;

// Most rounds of password hashing a file may ask for. Access writes
// 100,000; the Office format allows up to 10,000,000, which costs more than
// ten seconds of SHA-512 on a small machine before a wrong password can even
// be told. Ten times what Access writes keeps the worst case near a second.
inline constexpr std::uint32_t kMaxSpinCount = 1'000'000;

// Rounds the standard (AES) kind always uses; fixed, not read from the file.
inline constexpr std::uint32_t kStandardSpinCount = 50'000;

enum class OfficeKind { kAgile, kStandard, kRc4CryptoApi };
enum class OfficeHash { kSha1, kSha256, kSha384, kSha512 };

// One set of agile parameters: the key data (the page cipher) or the
// password key encryptor (the cipher that wraps the page key).
struct AgileKey {
    std::uint32_t keyBits = 0;
    std::uint32_t blockSize = 0;
    std::uint32_t hashSize = 0;
    OfficeHash hash = OfficeHash::kSha1;
    std::vector<std::uint8_t> salt;
};

// What the header says about the encryption, read without the password.
struct OfficeEncryption {
    OfficeKind kind = OfficeKind::kAgile;
    std::uint32_t keyBits = 0;  // of the page cipher

    // Agile.
    AgileKey keyData;
    AgileKey passwordKey;
    std::uint32_t spinCount = 0;
    std::vector<std::uint8_t> encryptedVerifierHashInput;
    std::vector<std::uint8_t> encryptedVerifierHashValue;
    std::vector<std::uint8_t> encryptedKeyValue;

    // Standard and RC4 CryptoAPI: one salt, the verifier and its SHA-1 hash.
    std::vector<std::uint8_t> salt;
    std::vector<std::uint8_t> encryptedVerifier;
    std::vector<std::uint8_t> encryptedVerifierHash;

    // For messages: "agile encryption (AES-256, SHA-512)" and the like.
    std::string Describe() const;
};

// Reads the description from the (unmasked) header page. 3049 when it does
// not hold together or asks for more work than allowed, 3343 when it is a
// kind of encryption this reader does not decrypt; each names the reason.
OfficeEncryption ReadOfficeEncryption(Bytes header);

class OfficeDecryptor {
public:
    virtual ~OfficeDecryptor() = default;
    // Decrypts page `number` in place; the page size is a multiple of 16.
    virtual void DecryptPage(std::uint32_t number, std::span<std::uint8_t> page) const = 0;
};

// Makes the key from `password` (UTF-8) and checks it against the verifier:
// 3031 when it does not match. `databaseKey` is the header's key, which
// together with the page number makes each page's key or IV.
std::unique_ptr<OfficeDecryptor> UnlockOffice(const OfficeEncryption& encryption,
                                              std::uint32_t databaseKey,
                                              std::string_view password);

}  // namespace vt::jet
