#pragma once
// Where the command-line tool gets a password that is not on its command
// line, where other users could read it: the first line of standard input,
// or a prompt on the terminal that does not echo what is typed.

#include <memory>
#include <optional>
#include <string>

namespace vt::cli {

class PasswordInput {
public:
    virtual ~PasswordInput() = default;
    // The first line of standard input without its line ending; none when
    // standard input ends before any character. Throws ErrorException when
    // the line is longer than any password.
    virtual std::optional<std::string> FirstLine() = 0;
    // Whether standard input is a terminal someone can answer on.
    virtual bool Interactive() = 0;
    // Shows `prompt` on the terminal and reads one line with echo off; none
    // when the input ends first.
    virtual std::optional<std::string> Ask(const std::string& prompt) = 0;
};

// Standard input, and the controlling terminal for the prompt.
std::unique_ptr<PasswordInput> MakeTerminalInput();

}  // namespace vt::cli
