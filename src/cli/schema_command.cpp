#include <ostream>

#include "cli/command.h"
#include "dbaccess/schema_json.h"

namespace vt::cli {

int SchemaCommand::Execute(Session& session) {
    const auto database = session.Open(database_);
    if (!database) {
        return exit_code::kOpenFailed;
    }
    try {
        WriteSchemaJson(SnapshotSchema(*database), session.out);
    } catch (...) {
        session.ReportOpenFailure();
        return exit_code::kOpenFailed;
    }
    session.out.flush();
    return exit_code::kSuccess;
}

}  // namespace vt::cli
