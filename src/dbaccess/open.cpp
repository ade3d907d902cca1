#include "dbaccess/open.h"

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/error.h"
#include "dbaccess/jet/jet_database.h"
#include "dbaccess/schema_json.h"

namespace vt {
namespace {

[[noreturn]] void EngineError(std::int32_t number, std::string description) {
    throw ErrorException(number, std::move(description), kEngineSource);
}

void CheckReadableFile(const std::string& path) {
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0) {
        const int code = errno;
        if (!path.empty() && (code == EACCES || code == EPERM)) {
            EngineError(err::kEngineNoPermission, "You have no permission to open '" + path + "'.");
        }
        EngineError(err::kEngineFileNotFound, "The file '" + path + "' cannot be found.");
    }
    if (S_ISDIR(info.st_mode)) {
        EngineError(err::kEngineUnrecognisedFormat, "'" + path + "' is a folder, not a database.");
    }
}

std::string ReadPrefix(const std::string& path, std::size_t count) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        EngineError(err::kEngineNoPermission, "You have no permission to open '" + path + "'.");
    }
    std::string prefix(count, '\0');
    in.read(prefix.data(), static_cast<std::streamsize>(count));
    prefix.resize(static_cast<std::size_t>(in.gcount()));
    return prefix;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad()) {
        EngineError(err::kEngineNoPermission, "'" + path + "' could not be read.");
    }
    return content.str();
}

}  // namespace

std::unique_ptr<Database> OpenDatabaseFile(const std::string& path, const OpenOptions& options) {
    CheckReadableFile(path);
    if (LooksLikeJson(ReadPrefix(path, 4096))) {
        return std::make_unique<SchemaDatabase>(ReadSchemaJson(ReadAll(path)));
    }
    std::error_code ec;
    std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    return OpenJetDatabase(ec ? path : absolute.lexically_normal().string(), options.password);
}

}  // namespace vt
