#include "cli/stream_messenger.h"

namespace vt::cli {

int StreamMessenger::ShowMessage(const std::string& text, int style, const std::string&) {
    if (quiet_ && style == box::kInformation) {
        return answer::kOk;
    }
    out_.flush();  // keep the order of listing lines and notices
    std::string line = text;
    for (char& c : line) {
        if (c == '\r') {
            c = '\n';
        }
    }
    err_ << line << '\n';
    err_.flush();
    return answer::kOk;
}

}  // namespace vt::cli
