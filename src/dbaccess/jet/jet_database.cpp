#include "dbaccess/jet/jet_database.h"

#include "common/error.h"

namespace vt {

std::unique_ptr<Database> OpenJetDatabase(const std::string& absolutePath,
                                          const std::optional<std::string>&) {
    throw ErrorException(err::kEngineUnrecognisedFormat,
                         "'" + absolutePath + "' is not a schema file, and this build cannot read "
                         "database files yet.",
                         kEngineSource);
}

}  // namespace vt
