// libFuzzer entry point: any byte string given to the Jet reader must end in
// a schema or an ErrorException, never a crash, hang or runaway allocation.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "common/error.h"
#include "dbaccess/jet/jet_reader.h"

namespace {

// Reads the input; false when it asked for a password.
bool ReadOnce(const std::uint8_t* data, std::size_t size, const std::optional<std::string>& password) {
    try {
        const auto database = vt::jet::ReadJetDatabase(data, size, "/fuzz/input.mdb", password);
        // Walk everything a caller would read; a query whose stored design
        // gives no SQL fails on its own, so each is tried separately.
        for (std::size_t i = 0; i < database->TableDefCount(); ++i) {
            (void)database->TableDefAt(i);
        }
        for (std::size_t i = 0; i < database->RelationCount(); ++i) {
            (void)database->RelationAt(i);
        }
        for (std::size_t i = 0; i < database->QueryDefCount(); ++i) {
            try {
                (void)database->QueryDefAt(i);
            } catch (const vt::ErrorException&) {
            }
        }
    } catch (const vt::ErrorException& error) {
        // The expected outcome for almost every mutated input.
        return error.number() != vt::err::kEngineBadPassword;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The protected seeds' passwords: "password" for the Jet and mdb-reader
    // samples, and the one of tests/data/jet/office-crypto, whose files take
    // the fuzzer through each kind of Office decryption. Retrying lets it get
    // past the check into the pages.
    static const std::string kPasswords[] = {
        "password", "Vellum tide \xC3\x9F\xE2\x82\xAC\xF0\x9F\x98\x80"};
    if (ReadOnce(data, size, std::nullopt)) {
        return 0;
    }
    for (const std::string& password : kPasswords) {
        if (ReadOnce(data, size, password)) {
            break;
        }
    }
    return 0;
}
