#include "common/show_error.h"

namespace vt {

std::string ErrorReportText(const std::string& context, const ErrorRecord& record) {
    return "Error in " + context + " <" + record.source + "> \r" + std::to_string(record.number) +
           " : " + record.description;
}

int ShowError(Reporter& reporter, const std::string& context, const BoxExtras& extras) {
    Messenger& messenger = reporter.messenger;
    const int savedPointer = messenger.MousePointer();
    messenger.SetMousePointer(pointer::kDefault);
    int answer = answer::kOk;
    if (reporter.pending.Number() != err::kNone) {
        messenger.ShowMessage(ErrorReportText(context, reporter.pending.Record()), box::kCritical,
                              kProductName);
        reporter.pending.Clear();
    } else if (extras.detail.empty() && extras.button.empty()) {
        messenger.ShowMessage(context, box::kInformation, kProductName);
    } else {
        answer = messenger.ShowMessageWith(context, box::kInformation, kProductName, extras);
    }
    messenger.SetMousePointer(savedPointer);
    return answer;
}

}  // namespace vt
