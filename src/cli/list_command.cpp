#include <ostream>

#include "cli/command.h"
#include "dbaccess/catalogue.h"

namespace vt::cli {

int ListCommand::Execute(Session& session) {
    const auto database = session.Open(database_);
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
    session.out.flush();
    return exit_code::kSuccess;
}

}  // namespace vt::cli
