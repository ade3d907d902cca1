#pragma once
// The page file under a Jet or ACE database: format detection, the
// de-obfuscated header page, and pages by number (decrypted when the
// database was encrypted with the Jet page cipher or, once unlocked with its
// password, with Office encryption).

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "dbaccess/jet/jet_bytes.h"
#include "dbaccess/jet/jet_source.h"
#include "dbaccess/jet/office_crypto.h"

namespace vt::jet {

enum class Format { kJet3, kJet4, kAce12, kAce14, kAce16, kAce17 };

// RC4 keystream applied in place; the Jet header mask and the page cipher
// both use it.
void Rc4Apply(const std::uint8_t* key, std::size_t keyLength, std::uint8_t* data,
              std::size_t length);

class JetFile {
public:
    // Reads the header from `source`, which must outlive this object.
    // Throws 3343 when it is not a Jet/ACE database.
    explicit JetFile(const PageSource& source);
    // The whole file in memory, which must outlive this object.
    explicit JetFile(Bytes data);

    bool IsJet3() const { return format_ == Format::kJet3; }
    bool IsAce() const { return format_ != Format::kJet3 && format_ != Format::kJet4; }
    std::string EngineName() const;

    std::size_t PageSize() const { return pageSize_; }
    std::uint32_t PageCount() const { return pageCount_; }

    // Page `number` (decrypted); 3049 when the file has no such page. Pages
    // are read once and stay valid until ForgetPages, or as long as this
    // object.
    Bytes Page(std::uint32_t number) const;
    // Lets the pages read so far go: what was read from them must already be
    // copied out. Reading a large design table by table, keeping every page
    // would hold most of its design pages at once.
    void ForgetPages() const { pages_.clear(); }

    int HeaderCodePage() const { return codePage_; }
    std::uint16_t SortOrder() const { return sortOrder_; }
    std::uint32_t DatabaseKey() const { return databaseKey_; }
    // Pages other than the header are RC4-encrypted with a per-page key.
    bool PageCipher() const { return databaseKey_ != 0 && !IsAce(); }
    // The ACE file is protected by Office encryption: its pages can be read
    // only after UnlockOffice.
    bool OfficeEncrypted() const { return databaseKey_ != 0 && IsAce(); }
    // Makes the key of `encryption` (what ReadOfficeEncryption found in the
    // header page) from `password`, 3031 when it is wrong, and decrypts
    // every page read from then on.
    void UnlockOffice(const OfficeEncryption& encryption, std::string_view password);
    // The stored database password bytes, already unmasked: Jet3 holds code
    // page text (20 bytes), Jet4/ACE UTF-16LE (40 bytes).
    const std::vector<std::uint8_t>& PasswordBytes() const { return password_; }

    // Counts one more table-definition page read. A sound file has each such
    // page read about once; a damaged catalogue could point many tables at
    // one long chain, so the total is bounded (3049 past the bound).
    void CountDefinitionPage() const;

private:
    void ReadHeader();

    std::unique_ptr<MemorySource> owned_;  // when made from bytes in memory
    const PageSource& source_;
    Format format_ = Format::kJet4;
    std::size_t pageSize_ = 4096;
    std::uint32_t pageCount_ = 0;
    std::vector<std::uint8_t> header_;  // page 0 with the obfuscated area unmasked
    int codePage_ = 0;
    std::uint16_t sortOrder_ = 0;
    std::uint32_t databaseKey_ = 0;
    std::vector<std::uint8_t> password_;
    std::unique_ptr<OfficeDecryptor> office_;
    mutable std::unordered_map<std::uint32_t, std::vector<std::uint8_t>> pages_;
    mutable std::uint64_t definitionPagesRead_ = 0;
};

}  // namespace vt::jet
