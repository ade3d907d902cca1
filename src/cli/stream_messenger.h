#pragma once
// Message boxes as plain text on standard error: one message per line
// group, the box's carriage return starting a new line, the first line
// naming the tool as Unix tools do.

#include <ostream>
#include <string>

#include "common/messenger.h"

namespace vt::cli {

inline constexpr const char* kMessagePrefix = "vellumtide-cli: ";

// `text` as lines for standard error: the tool's name first, no blanks at
// the ends of lines, each line ended.
std::string ToolMessage(const std::string& text);

class StreamMessenger : public Messenger {
public:
    StreamMessenger(std::ostream& out, std::ostream& err, bool quiet)
        : out_(out), err_(err), quiet_(quiet) {}

    int ShowMessage(const std::string& text, int style, const std::string& title) override;
    int MousePointer() const override { return pointer_; }
    void SetMousePointer(int shape) override { pointer_ = shape; }

private:
    std::ostream& out_;
    std::ostream& err_;
    bool quiet_;
    int pointer_ = pointer::kDefault;
};

}  // namespace vt::cli
