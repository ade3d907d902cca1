#include "cli/stream_messenger.h"

namespace vt::cli {

std::string ToolMessage(const std::string& text) {
    std::string message = kMessagePrefix;
    std::string line;
    const auto endLine = [&] {
        // A box's text may end its lines in blanks; a terminal line does not.
        line.erase(line.find_last_not_of(' ') + 1);
        message += line + '\n';
        line.clear();
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            endLine();
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
        } else {
            line += text[i];
        }
    }
    endLine();
    return message;
}

int StreamMessenger::ShowMessage(const std::string& text, int style, const std::string&) {
    if (quiet_ && style == box::kInformation) {
        return answer::kOk;
    }
    out_.flush();  // keep the order of listing lines and notices
    err_ << ToolMessage(text);
    err_.flush();
    return answer::kOk;
}

}  // namespace vt::cli
