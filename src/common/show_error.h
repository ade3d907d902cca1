#pragma once

#include <string>

#include "common/error.h"
#include "common/messenger.h"

namespace vt {

// The pending error and the way to the user, handed together to every
// procedure that reports.
struct Reporter {
    PendingError& pending;
    Messenger& messenger;
};

// With an error pending: a critical box naming `context` and the error,
// then the error is cleared. With none: an information box with `context`
// and the extras, whose answer is returned.
int ShowError(Reporter& reporter, const std::string& context, const BoxExtras& extras = {});

// The text of the critical box for `record` in `context`.
std::string ErrorReportText(const std::string& context, const ErrorRecord& record);

}  // namespace vt
