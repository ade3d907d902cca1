#include "common/show_error.h"

namespace vt {

std::string ErrorReportText(const std::string& context, const ErrorRecord& record) {
    return "Error in " + context + " <" + record.source + "> \r" + std::to_string(record.number) +
           " : " + record.description;
}

void ShowError(Reporter& reporter, const std::string& context) {
    Messenger& messenger = reporter.messenger;
    const int savedPointer = messenger.MousePointer();
    messenger.SetMousePointer(pointer::kDefault);
    if (reporter.pending.Number() != err::kNone) {
        messenger.ShowMessage(ErrorReportText(context, reporter.pending.Record()), box::kCritical,
                              kProductName);
        reporter.pending.Clear();
    } else {
        messenger.ShowMessage(context, box::kInformation, kProductName);
    }
    messenger.SetMousePointer(savedPointer);
}

}  // namespace vt
