#include <ostream>

#include "cli/command.h"
#include "dbaccess/catalogue.h"

namespace vt::cli {

int ListCommand::Execute(Session& session) {
    const auto database = session.Open(database_, database_.databases.front());
    if (!database) {
        return exit_code::kOpenFailed;
    }
    try {
        for (const CatalogueLine& line : ListCatalogue(*database)) {
            if (line.odbcNotice) {
                session.Notice(kOdbcNotice);
            }
            session.out << line.text << '\n';
        }
    } catch (...) {
        session.ReportOpenFailure();
        return exit_code::kOpenFailed;
    }
    // A listing cut short by a full disk or a closed pipe is a failure.
    return session.OutputWritten() ? exit_code::kSuccess : exit_code::kOutputFailed;
}

}  // namespace vt::cli
