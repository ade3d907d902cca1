#include "dbaccess/open.h"

#include <filesystem>
#include <iostream>
#include <iterator>

#include "common/error.h"
#include "dbaccess/jet/jet_reader.h"
#include "dbaccess/schema_json.h"

namespace vt {
namespace {

// Enough of the start of a file to tell a JSON document from a database.
constexpr std::size_t kSniffBytes = 4096;

std::string ReadText(const jet::PageSource& source, std::uint64_t length) {
    std::string text(static_cast<std::size_t>(length), '\0');
    source.Read(0, std::span<std::uint8_t>(reinterpret_cast<std::uint8_t*>(text.data()), text.size()));
    return text;
}

std::unique_ptr<Database> Open(const jet::PageSource& source, const std::string& name,
                               const std::string& databasePath, const OpenOptions& options) {
    if (LooksLikeJson(ReadText(source, std::min<std::uint64_t>(source.Size(), kSniffBytes)))) {
        return std::make_unique<SchemaDatabase>(ReadSchemaJson(ReadText(source, source.Size()), name));
    }
    return jet::ReadJetDatabase(source, databasePath, options.password);
}

}  // namespace

std::unique_ptr<Database> OpenDatabaseFile(const std::string& path, const OpenOptions& options) {
    if (path == kStandardInput) {
        std::cin >> std::noskipws;
        const std::string bytes{std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>()};
        if (bytes.empty()) {
            throw ErrorException(err::kEngineUnrecognisedFormat,
                                 "Standard input is empty, not a database.", kEngineSource);
        }
        const jet::MemorySource source(
            jet::Bytes(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
        return Open(source, "standard input", "", options);
    }
    // One open of the file, read once: a file that changes between two
    // opens cannot give two different answers.
    const jet::FileSource source(path);
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    return Open(source, path, ec ? path : absolute.lexically_normal().string(), options);
}

}  // namespace vt
