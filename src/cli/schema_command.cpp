#include <ostream>

#include "cli/command.h"
#include "dbaccess/schema_json.h"

namespace vt::cli {

int SchemaCommand::Execute(Session& session) {
    const auto database = session.Open(database_, database_.databases.front());
    if (!database) {
        return exit_code::kOpenFailed;
    }
    try {
        WriteSchemaJson(*database, session.out);
    } catch (...) {
        session.ReportOpenFailure();
        return exit_code::kOpenFailed;
    }
    // A listing cut short by a full disk or a closed pipe is a failure.
    return session.OutputWritten() ? exit_code::kSuccess : exit_code::kOutputFailed;
}

}  // namespace vt::cli
