#include "dbaccess/jet/jet_file.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace vt::jet {
namespace {

constexpr std::uint8_t kHeaderMaskKey[4] = {0xC7, 0xDA, 0x39, 0x6B};
constexpr std::size_t kMaskStart = 0x18;
constexpr std::size_t kEngineNameOffset = 0x04;
constexpr std::size_t kVersionOffset = 0x14;
constexpr std::size_t kJet3SortOffset = 0x3A;
constexpr std::size_t kCodePageOffset = 0x3C;
constexpr std::size_t kKeyOffset = 0x3E;
constexpr std::size_t kPasswordOffset = 0x42;
constexpr std::size_t kJet4SortOffset = 0x6E;
constexpr std::size_t kCreationDateOffset = 0x72;

}  // namespace

void Rc4Apply(const std::uint8_t* key, std::size_t keyLength, std::uint8_t* data,
              std::size_t length) {
    std::uint8_t state[256];
    for (int i = 0; i < 256; ++i) {
        state[i] = static_cast<std::uint8_t>(i);
    }
    std::uint8_t j = 0;
    for (int i = 0; i < 256; ++i) {
        j = static_cast<std::uint8_t>(j + state[i] + key[static_cast<std::size_t>(i) % keyLength]);
        std::swap(state[i], state[j]);
    }
    std::uint8_t a = 0;
    std::uint8_t b = 0;
    for (std::size_t n = 0; n < length; ++n) {
        a = static_cast<std::uint8_t>(a + 1);
        b = static_cast<std::uint8_t>(b + state[a]);
        std::swap(state[a], state[b]);
        data[n] ^= state[static_cast<std::uint8_t>(state[a] + state[b])];
    }
}

namespace {

Format DetectFormat(const PageSource& source) {
    static constexpr std::uint8_t kMagic[4] = {0x00, 0x01, 0x00, 0x00};
    std::uint8_t head[kVersionOffset + 1] = {};
    if (source.Size() < 2048) {
        Unrecognised("it is not a Jet or ACE database file");
    }
    source.Read(0, head);
    if (std::memcmp(head, kMagic, 4) != 0) {
        Unrecognised("it is not a Jet or ACE database file");
    }
    const std::string engine(reinterpret_cast<const char*>(head + kEngineNameOffset), 15);
    const bool ace = engine == "Standard ACE DB";
    if (engine != "Standard Jet DB" && !ace) {
        Unrecognised("it is not a Jet or ACE database file");
    }
    Format format = Format::kJet4;
    switch (head[kVersionOffset]) {
        case 0: format = Format::kJet3; break;
        case 1: format = Format::kJet4; break;
        case 2: format = Format::kAce12; break;
        case 3: format = Format::kAce14; break;
        case 5: format = Format::kAce16; break;
        case 6: format = Format::kAce17; break;
        default: Unrecognised("it was written by a database engine version this reader does not know");
    }
    if (format == Format::kJet3 && ace) {
        Unrecognised("its header contradicts itself");
    }
    return format;
}

// Jet 4 masks the stored password with the whole days of its creation date.
void UnmaskJet4Password(Bytes header, std::vector<std::uint8_t>& password) {
    const double created = header.F64(kCreationDateOffset);
    std::int32_t days = 0;
    if (std::isfinite(created) && created > -2147483648.0 && created < 2147483648.0) {
        // The floor, without the maths library: truncation, one less below zero.
        const auto truncated = static_cast<std::int32_t>(created);
        days = static_cast<double>(truncated) > created ? truncated - 1 : truncated;
    }
    const auto udays = static_cast<std::uint32_t>(days);
    for (std::size_t i = 0; i < password.size(); ++i) {
        password[i] ^= static_cast<std::uint8_t>(udays >> (8 * (i % 4)));
    }
}

}  // namespace

JetFile::JetFile(const PageSource& source) : source_(source), format_(DetectFormat(source)) {
    ReadHeader();
}

JetFile::JetFile(Bytes data)
    : owned_(std::make_unique<MemorySource>(data)), source_(*owned_), format_(DetectFormat(*owned_)) {
    ReadHeader();
}

void JetFile::ReadHeader() {
    pageSize_ = IsJet3() ? 2048 : 4096;
    if (source_.Size() < pageSize_ * 3) {
        Unrecognised("the file is too short to be a database");
    }
    // Row pointers give a page number in 3 bytes: a file of more pages is no database.
    const std::uint64_t pages = source_.Size() / pageSize_;
    if (pages > 0xFFFFFFu) {
        Unrecognised("at " + std::to_string(source_.Size() >> 20) +
                     " MB, the file is larger than any database can be");
    }
    pageCount_ = static_cast<std::uint32_t>(pages);

    header_.resize(pageSize_);
    source_.Read(0, header_);
    const std::size_t maskLength = IsJet3() ? 126 : 128;
    Rc4Apply(kHeaderMaskKey, 4, header_.data() + kMaskStart, maskLength);
    const Bytes header(header_.data(), header_.size());

    codePage_ = header.U16(kCodePageOffset);
    databaseKey_ = header.U32(kKeyOffset);
    sortOrder_ = header.U16(IsJet3() ? kJet3SortOffset : kJet4SortOffset);
    const std::size_t passwordLength = IsJet3() ? 20 : 40;
    password_.assign(header_.begin() + kPasswordOffset,
                     header_.begin() + kPasswordOffset + passwordLength);
    if (!IsJet3()) {
        UnmaskJet4Password(header, password_);
    }
}

void JetFile::UnlockOffice(const OfficeEncryption& encryption, std::string_view password) {
    office_ = vt::jet::UnlockOffice(encryption, databaseKey_, password);
}

std::string JetFile::EngineName() const {
    switch (format_) {
        case Format::kJet3: return "Jet3";
        case Format::kJet4: return "Jet4";
        case Format::kAce12: return "ACE12";
        case Format::kAce14: return "ACE14";
        case Format::kAce16: return "ACE16";
        case Format::kAce17: return "ACE17";
    }
    return "Jet4";
}

void JetFile::CountDefinitionPage() const {
    if (++definitionPagesRead_ > 2ull * pageCount_ + 64) {
        Damaged("its table definitions lead to the same pages over and over");
    }
}

Bytes JetFile::Page(std::uint32_t number) const {
    if (number >= pageCount_) {
        Damaged("a page number points past the end of the file");
    }
    if (number == 0) {
        return Bytes(header_.data(), header_.size());
    }
    auto found = pages_.find(number);
    if (found == pages_.end()) {
        std::vector<std::uint8_t> page(pageSize_);
        source_.Read(static_cast<std::uint64_t>(number) * pageSize_, page);
        if (OfficeEncrypted()) {
            if (!office_) {
                throw ErrorException(err::kEngineBadPassword, "Not a valid password.", kEngineSource);
            }
            office_->DecryptPage(number, page);
        } else if (PageCipher()) {
            const std::uint32_t key = databaseKey_ ^ number;
            const std::uint8_t keyBytes[4] = {
                static_cast<std::uint8_t>(key), static_cast<std::uint8_t>(key >> 8),
                static_cast<std::uint8_t>(key >> 16), static_cast<std::uint8_t>(key >> 24)};
            Rc4Apply(keyBytes, 4, page.data(), page.size());
        }
        found = pages_.emplace(number, std::move(page)).first;
    }
    return Bytes(found->second.data(), found->second.size());
}

}  // namespace vt::jet
