// Office-encrypted .accdb files: the samples Access made open with the
// passwords their projects' tests use and give the design those tests state;
// files we encrypted with the other kinds decrypt page for page to the same
// bytes; wrong passwords and damaged encryption headers are clear errors.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <map>
#include <string_view>
#include <tuple>
#include <vector>

#include "common/error.h"
#include "dbaccess/jet/jet_file.h"
#include "dbaccess/jet/jet_reader.h"
#include "dbaccess/jet/libcrypto.h"
#include "dbaccess/jet/libexpat.h"
#include "dbaccess/jet/office_crypto.h"
#include "dbaccess/open.h"
#include "support/files.h"

namespace vt::jet::test {
namespace {

using ::testing::HasSubstr;

std::string DataPath(const std::string& relative) { return std::string(VT_TEST_DATA_DIR) + "/jet/" + relative; }

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    const std::string text = vt::test::ReadFile(path);
    return {text.begin(), text.end()};
}

// The password of the files in office-crypto/ (see its README).
const std::string kMadePassword = "Vellum tide \xC3\x9F\xE2\x82\xAC\xF0\x9F\x98\x80";

struct Sample {
    const char* file;
    const char* password;
    const char* kind;
};

const Sample kSamples[] = {
    {"jackcessencrypt/db2007-enc.accdb", "Test123", "agile encryption (AES-128, SHA-1)"},
    {"jackcessencrypt/db2013-enc.accdb", "1234", "agile encryption (AES-256, SHA-512)"},
    {"mdb-reader/office-agile-4.2.accdb", "password", "RC4 CryptoAPI encryption (128-bit key, SHA-1)"},
};

const Sample kMade[] = {
    {"office-crypto/standard-aes128.accdb", "", "standard encryption (AES-128, SHA-1)"},
    {"office-crypto/rc4-40bit.accdb", "", "RC4 CryptoAPI encryption (40-bit key, SHA-1)"},
    {"office-crypto/agile-aes192-sha256.accdb", "", "agile encryption (AES-192, SHA-256)"},
};

std::vector<Sample> AllFiles() {
    std::vector<Sample> all(std::begin(kSamples), std::end(kSamples));
    all.insert(all.end(), std::begin(kMade), std::end(kMade));
    return all;
}

std::unique_ptr<Database> Open(const std::string& relative, std::optional<std::string> password) {
    OpenOptions options;
    options.password = std::move(password);
    return OpenDatabaseFile(DataPath(relative), options);
}

// The tables that are not the engine's or Access's own.
std::vector<TableDef> UserTables(const Database& db) {
    std::vector<TableDef> tables;
    for (std::size_t i = 0; i < db.TableDefCount(); ++i) {
        TableDef table = db.TableDefAt(i);
        if (!table.IsSystem()) {
            tables.push_back(std::move(table));
        }
    }
    return tables;
}

std::vector<std::string> FieldNames(const TableDef& table) {
    std::vector<std::string> names;
    for (const FieldDef& field : table.fields) {
        names.push_back(field.name);
    }
    return names;
}

TEST(OfficeSamples, EachIsTheKindItsHeaderDescribes) {
    for (const Sample& sample : AllFiles()) {
        SCOPED_TRACE(sample.file);
        const auto bytes = ReadBytes(DataPath(sample.file));
        const JetFile file(Bytes(bytes.data(), bytes.size()));
        ASSERT_TRUE(file.OfficeEncrypted());
        EXPECT_EQ(ReadOfficeEncryption(file.Page(0)).Describe(), sample.kind);
    }
}

// Tables and columns as jackcess-encrypt's CryptCodecProviderTest and
// mdb-reader's encryption test read them; the AutoNumber ID and its
// primary key as mdbtools reads the decrypted files.
TEST(OfficeSamples, RightPasswordGivesTheWholeDesign) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> expected = {
        {"Table1", {"ID", "Field1"}}, {"Customers", {"ID", "Field1"}}, {"Table1", {"ID", "Data"}}};
    for (std::size_t s = 0; s < std::size(kSamples); ++s) {
        SCOPED_TRACE(kSamples[s].file);
        const auto db = Open(kSamples[s].file, kSamples[s].password);
        EXPECT_EQ(db->Info().engine, "ACE14");
        EXPECT_EQ(db->Info().collatingOrder, 1033);
        const std::vector<TableDef> tables = UserTables(*db);
        ASSERT_EQ(tables.size(), 1u);
        const TableDef& table = tables[0];
        EXPECT_EQ(table.name, expected[s].first);
        EXPECT_EQ(FieldNames(table), expected[s].second);
        ASSERT_EQ(table.fields.size(), 2u);
        EXPECT_EQ(table.fields[0].type, DaoType::kLong);
        EXPECT_EQ(table.fields[0].attributes, 17);  // AutoNumber
        EXPECT_EQ(table.fields[1].type, DaoType::kText);
        EXPECT_EQ(table.fields[1].size, 255);
        ASSERT_EQ(table.indexes.size(), 1u);
        EXPECT_EQ(table.indexes[0].name, "PrimaryKey");
        EXPECT_TRUE(table.indexes[0].primary);
        EXPECT_TRUE(table.indexes[0].unique);
        EXPECT_EQ(table.indexes[0].fields, std::vector<std::string>{"ID"});
        EXPECT_EQ(db->QueryDefCount(), 0u);
        EXPECT_TRUE(db->Notes().empty());
    }
}

TEST(OfficeSamples, WrongOrMissingPasswordIsError3031NamingTheFile) {
    for (const Sample& sample : AllFiles()) {
        SCOPED_TRACE(sample.file);
        const std::string right = *sample.password ? sample.password : kMadePassword;
        for (const std::optional<std::string>& password :
             {std::optional<std::string>{}, std::optional<std::string>{""},
              std::optional<std::string>{"wrong"}, std::optional<std::string>{right + "x"},
              std::optional<std::string>{right.substr(0, right.size() - 1)},
              std::optional<std::string>{"\xFF\xFE"}}) {
            try {
                Open(sample.file, password);
                ADD_FAILURE() << "opened with a wrong password";
            } catch (const ErrorException& e) {
                EXPECT_EQ(e.number(), err::kEngineBadPassword);
                EXPECT_EQ(e.record().description, "'" + DataPath(sample.file) + "': Not a valid password.");
                EXPECT_EQ(e.record().source, kEngineSource);
            }
        }
    }
}

// The files encrypted here hold the Access-made RC4 sample's pages: every
// one of them must decrypt to exactly what that sample decrypts to.
TEST(OfficeMadeFiles, EveryPageDecryptsToTheAccessMadeSamplesPage) {
    const auto originalBytes = ReadBytes(DataPath("mdb-reader/office-agile-4.2.accdb"));
    JetFile original(Bytes(originalBytes.data(), originalBytes.size()));
    original.UnlockOffice(ReadOfficeEncryption(original.Page(0)), "password");
    for (const Sample& made : kMade) {
        SCOPED_TRACE(made.file);
        const auto bytes = ReadBytes(DataPath(made.file));
        JetFile file(Bytes(bytes.data(), bytes.size()));
        file.UnlockOffice(ReadOfficeEncryption(file.Page(0)), kMadePassword);
        ASSERT_EQ(file.PageCount(), original.PageCount());
        int differing = 0;
        for (std::uint32_t n = 1; n < file.PageCount(); ++n) {
            const Bytes page = file.Page(n);
            const Bytes expected = original.Page(n);
            differing += std::memcmp(page.data(), expected.data(), page.size()) != 0 ? 1 : 0;
            // Stored encrypted: no page is kept as it reads.
            EXPECT_NE(std::memcmp(bytes.data() + n * file.PageSize(), page.data(), page.size()), 0) << n;
        }
        EXPECT_EQ(differing, 0);
        EXPECT_EQ(SnapshotSchema(*Open(made.file, kMadePassword)).tableDefs,
                  SnapshotSchema(*Open("mdb-reader/office-agile-4.2.accdb", "password")).tableDefs);
    }
}

TEST(OfficeMadeFiles, APageIsNotReadBeforeTheFileIsUnlocked) {
    const auto bytes = ReadBytes(DataPath("office-crypto/standard-aes128.accdb"));
    const JetFile file(Bytes(bytes.data(), bytes.size()));
    try {
        file.Page(2);
        ADD_FAILURE() << "read an encrypted page without its key";
    } catch (const ErrorException& e) {
        EXPECT_EQ(e.number(), err::kEngineBadPassword);
    }
}

// RC4 CryptoAPI runs on the reader's own RC4; RFC 6229's vectors for the
// two key lengths it is given (40 bits, and 128 bits, which a 40-bit key is
// widened to).
TEST(OfficeRc4, MatchesTheRfc6229Vectors) {
    const std::uint8_t key40[] = {0x01, 0x02, 0x03, 0x04, 0x05};
    const std::uint8_t key128[] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08,
                                   0x09, 0x0a, 0x0b, 0x0c, 0x0d, 0x0e, 0x0f, 0x10};
    std::uint8_t stream[16] = {};
    Rc4Apply(key40, sizeof key40, stream, sizeof stream);
    EXPECT_EQ(std::vector<std::uint8_t>(stream, stream + 16),
              (std::vector<std::uint8_t>{0xb2, 0x39, 0x63, 0x05, 0xf0, 0x3d, 0xc0, 0x27, 0xcc, 0xc3, 0x52,
                                         0x4a, 0x0a, 0x11, 0x18, 0xa8}));
    std::memset(stream, 0, sizeof stream);
    Rc4Apply(key128, sizeof key128, stream, sizeof stream);
    EXPECT_EQ(std::vector<std::uint8_t>(stream, stream + 16),
              (std::vector<std::uint8_t>{0x9a, 0xc7, 0xcc, 0x9a, 0x60, 0x9d, 0x1e, 0xf7, 0xb2, 0x93, 0x28,
                                         0x99, 0xcd, 0xe4, 0x1b, 0x97}));
}

// libcrypto and Expat are loaded when the first encrypted file is opened: a
// library that is missing, or lacks a function, is an error that names it.
TEST(OfficeLibraries, AMissingLibraryOrFunctionIsAnErrorNamingTheLibrary) {
    const std::vector<std::tuple<std::string, std::function<void(const char*)>, const char*>> loaders = {
        {"cryptography library", [](const char* soname) { LoadFunctions<Libcrypto>(soname); }, "libcrypto.so.3"},
        {"XML library", [](const char* soname) { LoadFunctions<Libexpat>(soname); }, "libexpat.so.1"},
    };
    for (const auto& [kind, load, real] : loaders) {
        for (const char* soname : {"libmissing.so.0", "libc.so.6"}) {
            try {
                load(soname);
                ADD_FAILURE() << soname << " was loaded as the " << kind;
            } catch (const ErrorException& e) {
                EXPECT_EQ(e.number(), err::kInternal);
                EXPECT_THAT(e.record().description,
                            HasSubstr("The " + kind + " " + soname + " could not be loaded: "));
            }
        }
        EXPECT_NO_THROW(load(real)) << kind;
    }
}

// --- Damaged encryption headers ----------------------------------------------

using Edit = std::function<void(std::vector<std::uint8_t>&)>;

constexpr std::size_t kInfo = kOfficeInfoOffset + 2;

std::size_t InfoLength(const std::vector<std::uint8_t>& bytes) {
    return bytes[kOfficeInfoOffset] | (bytes[kOfficeInfoOffset + 1] << 8);
}

void SetInfoLength(std::vector<std::uint8_t>& bytes, std::size_t length) {
    bytes[kOfficeInfoOffset] = static_cast<std::uint8_t>(length);
    bytes[kOfficeInfoOffset + 1] = static_cast<std::uint8_t>(length >> 8);
}

// Sets the 16- or 32-bit value at `offset` of the description.
Edit Set(std::size_t offset, std::uint32_t value, int size = 4) {
    return [=](std::vector<std::uint8_t>& bytes) {
        for (int i = 0; i < size; ++i) {
            bytes[kInfo + offset + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
        }
    };
}

Edit Length(std::size_t length) {
    return [=](std::vector<std::uint8_t>& bytes) { SetInfoLength(bytes, length); };
}

Edit Both(Edit a, Edit b) {
    return [=](std::vector<std::uint8_t>& bytes) {
        a(bytes);
        b(bytes);
    };
}

// Replaces the first `from` in the agile XML text with `to`.
Edit Xml(std::string from, std::string to) {
    return [=](std::vector<std::uint8_t>& bytes) {
        const std::size_t length = InfoLength(bytes);
        std::string xml(bytes.begin() + kInfo + 8, bytes.begin() + kInfo + length);
        const std::size_t at = xml.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        xml.replace(at, from.size(), to);
        ASSERT_LE(kInfo + 8 + xml.size(), 4096u);
        std::fill(bytes.begin() + kInfo + 8, bytes.begin() + 4096, 0);
        std::copy(xml.begin(), xml.end(), bytes.begin() + kInfo + 8);
        SetInfoLength(bytes, 8 + xml.size());
    };
}

struct Damage {
    const char* file;
    const char* what;
    Edit edit;
    std::int32_t number;
    const char* reason;
};

constexpr const char* kRc4 = "mdb-reader/office-agile-4.2.accdb";
constexpr const char* kAgile = "jackcessencrypt/db2013-enc.accdb";
constexpr const char* kStandard = "office-crypto/standard-aes128.accdb";
constexpr std::int32_t kDamaged = err::kEngineDamaged;
constexpr std::int32_t kUnknown = err::kEngineUnrecognisedFormat;

// Offsets in the binary description: 4 flags, 8 header size, 12 the header
// (flags, size extra, algorithm, hash, key bits, ...), then the verifier
// (salt size, salt, verifier, hash size, hash).
constexpr std::size_t kVerifier = 12 + 126;  // the samples' header is 126 bytes

const std::vector<Damage>& Damages() {
    static const std::vector<Damage> damages = {
        {kRc4, "length past the page", Length(0xFFFF), kDamaged, "past the header page"},
        {kRc4, "length too short", Length(4), kDamaged, "too short for any kind"},
        {kRc4, "no description at all", Length(0), kDamaged, "too short for any kind"},
        {kRc4, "unknown version", Set(0, 0x00090009), kUnknown, "version 9.9"},
        {kRc4, "Office 97 RC4", Set(0, 0x00010001), kUnknown, "RC4 encryption of Office 97"},
        {kRc4, "extensible", Set(0, 0x00030004), kUnknown, "extensible"},
        {kRc4, "header size huge", Set(8, 0xFFFFFFF0), kDamaged, "header is said to be 4294967280"},
        {kRc4, "header size too small", Set(8, 8), kDamaged, "header is said to be 8"},
        {kRc4, "external provider", Both(Set(4, 0x1C), Set(12, 0x1C)), kUnknown, "external"},
        {kRc4, "flag copies differ", Set(4, 0x2C), kDamaged, "two copies of the flags differ"},
        {kRc4, "not CryptoAPI", Both(Set(4, 0x08), Set(12, 0x08)), kUnknown, "does not use CryptoAPI"},
        {kRc4, "unknown algorithm", Set(20, 0x1234), kUnknown, "the algorithm 4660"},
        {kRc4, "AES without its flag", Set(20, 0x660E), kUnknown, "without the AES flag"},
        {kRc4, "MD5", Set(24, 0x8003), kUnknown, "the hash algorithm 32771"},
        {kRc4, "key too long", Set(28, 1024), kDamaged, "RC4 a key of 1024 bits"},
        {kRc4, "key not whole bytes", Set(28, 44), kDamaged, "RC4 a key of 44 bits"},
        {kRc4, "key too short", Set(28, 8), kDamaged, "RC4 a key of 8 bits"},
        {kRc4, "salt size 0", Set(kVerifier, 0), kDamaged, "salt of 0 bytes"},
        {kRc4, "salt size huge", Set(kVerifier, 0xFFFFFFFF), kDamaged, "salt of 4294967295 bytes"},
        {kRc4, "verifier hash size", Set(kVerifier + 36, 16), kDamaged, "SHA-1 hash 16 bytes"},
        {kRc4, "verifier cut short", Length(198 - 10), kDamaged, "verifier is cut short"},
        {kRc4, "verifier missing", Length(12 + 126 + 2), kDamaged, "ends before its verifier"},
        {kStandard, "AES key size", Set(28, 192), kDamaged, "AES-128 a key of 192 bits"},
        {kStandard, "AES flagged, RC4 named", Set(20, 0x6801), kDamaged, "flagged AES but names RC4"},
        {kAgile, "reserved value", Set(4, 0x41), kDamaged, "does not start as one"},
        {kAgile, "spin count beyond the format", Xml("spinCount=\"100000\"", "spinCount=\"10000001\""),
         kDamaged, "more than the format's 10,000,000"},
        {kAgile, "spin count beyond our bound", Xml("spinCount=\"100000\"", "spinCount=\"1000001\""),
         kDamaged, "accepts at most 1,000,000"},
        {kAgile, "spin count overflows", Xml("spinCount=\"100000\"", "spinCount=\"99999999999\""), kDamaged,
         "not a number in range"},
        {kAgile, "spin count negative", Xml("spinCount=\"100000\"", "spinCount=\"-1\""), kDamaged,
         "not a number"},
        {kAgile, "spin count missing", Xml("spinCount=\"100000\"", ""), kDamaged, "has no spinCount"},
        {kAgile, "key bits", Xml("keyBits=\"256\"", "keyBits=\"100\""), kDamaged, "AES a key of 100 bits"},
        {kAgile, "block size", Xml("blockSize=\"16\"", "blockSize=\"8\""), kDamaged, "blocks of 8 bytes"},
        {kAgile, "hash size", Xml("hashSize=\"64\"", "hashSize=\"20\""), kDamaged,
         "SHA-512 a size of 20 bytes"},
        {kAgile, "salt size", Xml("saltSize=\"16\"", "saltSize=\"17\""), kDamaged,
         "salt of 17 bytes but holds 16"},
        {kAgile, "salt size zero", Xml("saltSize=\"16\"", "saltSize=\"0\""), kDamaged, "salt of 0 bytes"},
        {kAgile, "salt not base64", Xml("saltValue=\"3MF5", "saltValue=\"!MF5"), kDamaged,
         "saltValue is not base64"},
        {kAgile, "salt padding", Xml("saltValue=\"3MF5qZLl/e0shTV0MAcVeg==\"", "saltValue=\"3MF5qZLl/e0shTV0MAcVeg\""),
         kDamaged, "saltValue is not base64"},
        {kAgile, "cipher", Xml("cipherAlgorithm=\"AES\"", "cipherAlgorithm=\"DES\""), kUnknown,
         "the cipher \"DES\""},
        {kAgile, "chaining", Xml("ChainingModeCBC", "ChainingModeCFB"), kUnknown, "chaining mode"},
        {kAgile, "hash", Xml("hashAlgorithm=\"SHA512\"", "hashAlgorithm=\"MD5\""), kUnknown,
         "hash algorithm \"MD5\""},
        {kAgile, "key value too short", Xml("encryptedKeyValue=\"QubEoYk8CHTRtilBk6x3Reet6nNYPdIWVGe9nedugdM=\"",
                                            "encryptedKeyValue=\"QubEoYk8CHTRtilBk6x3RQ==\""),
         kDamaged, "encryptedKeyValue is 16 bytes long"},
        {kAgile, "verifier input not whole blocks",
         Xml("encryptedVerifierHashInput=\"Hrg/aAeysxXJhTpEstAgJg==\"", "encryptedVerifierHashInput=\"Hrg/\""),
         kDamaged, "encryptedVerifierHashInput is 3 bytes long"},
        {kAgile, "certificate only",
         Xml("uri=\"http://schemas.microsoft.com/office/2006/keyEncryptor/password\"",
             "uri=\"http://schemas.microsoft.com/office/2006/keyEncryptor/certificate\""),
         kUnknown, "certificate instead of a password"},
        {kAgile, "no key encryptor", Xml("uri=\"http://schemas", "uri=\"urn:x"), kDamaged,
         "no password key encryptor"},
        {kAgile, "no key data", Xml("<keyData ", "<keyDatum "), kDamaged, "no <encryption> with <keyData>"},
        {kAgile, "two key data", Xml("<keyEncryptors>", "<keyData/><keyEncryptors>"), kDamaged,
         "two <keyData>"},
        {kAgile, "unquoted attribute", Xml("saltSize=\"16\"", "saltSize=16"), kDamaged, "malformed (not well-formed"},
        {kAgile, "XML cut short", Length(100), kDamaged, "malformed (unclosed token)"},
        {kAgile, "comment left open", Xml("<encryption ", "<!-- <encryption "), kDamaged, "malformed"},
        {kAgile, "a document type with an entity", Xml("<encryption ", "<!DOCTYPE e [<!ENTITY x \"y\">]><encryption "),
         kDamaged, "document type declaration"},
    };
    return damages;
}

// Each damaged description fails the same way with the right password,
// without one and with a wrong one, before any key is made.
TEST(OfficeDamage, EachDamagedEncryptionHeaderIsAClearErrorAtOnce) {
    const std::map<std::string, std::string> passwords = {
        {kRc4, "password"}, {kAgile, "1234"}, {kStandard, kMadePassword}};
    for (const Damage& damage : Damages()) {
        SCOPED_TRACE(std::string(damage.file) + ": " + damage.what);
        std::vector<std::uint8_t> bytes = ReadBytes(DataPath(damage.file));
        damage.edit(bytes);
        if (::testing::Test::HasFatalFailure()) {
            continue;
        }
        for (const std::optional<std::string>& password :
             {std::optional<std::string>(passwords.at(damage.file)), std::optional<std::string>(),
              std::optional<std::string>("wrong")}) {
            const auto start = std::chrono::steady_clock::now();
            try {
                ReadJetDatabase(bytes.data(), bytes.size(), "/data/damaged.accdb", password);
                ADD_FAILURE() << "opened";
            } catch (const ErrorException& e) {
                EXPECT_EQ(e.number(), damage.number) << e.what();
                EXPECT_THAT(e.record().description, HasSubstr(damage.reason));
                EXPECT_THAT(e.record().description, HasSubstr("'/data/damaged.accdb'"));
            }
            EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 1.0);
        }
    }
}

}  // namespace
}  // namespace vt::jet::test
