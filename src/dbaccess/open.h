#pragma once
// Opening a DATABASE argument: a Jet/ACE file or a schema file. The content
// decides, not the extension.

#include <memory>
#include <optional>
#include <string>

#include "dbaccess/database.h"

namespace vt {

struct OpenOptions {
    std::optional<std::string> password;
};

// The DATABASE argument that means standard input, read once.
inline constexpr const char* kStandardInput = "-";

// Opens `path` read-only: a regular file, or standard input for "-".
// Throws ErrorException with the engine's numbers (3024 missing file, 3051
// no permission, 3343 not a database or not a regular file, …).
std::unique_ptr<Database> OpenDatabaseFile(const std::string& path,
                                           const OpenOptions& options = {});

}  // namespace vt
