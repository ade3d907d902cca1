#pragma once
// The read-only Jet/ACE reader behind the engine interface.

#include <memory>
#include <optional>
#include <string>

#include "dbaccess/database.h"

namespace vt {

// Opens the Jet or ACE file at `absolutePath`. Throws ErrorException with
// the engine's error numbers.
std::unique_ptr<Database> OpenJetDatabase(const std::string& absolutePath,
                                          const std::optional<std::string>& password);

}  // namespace vt
