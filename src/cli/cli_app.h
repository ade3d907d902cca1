#pragma once
// vellumtide-cli: the engine and generator for scripts and build pipelines.

#include <iosfwd>

namespace vt {

namespace exit_code {
inline constexpr int kSuccess = 0;
inline constexpr int kBuildFailed = 1;
inline constexpr int kOutputFailed = 1;  // standard output could not be written
inline constexpr int kUsage = 2;
inline constexpr int kOpenFailed = 3;
inline constexpr int kModuleExists = 4;
}  // namespace exit_code

namespace cli {
class PasswordInput;
}

// What becomes of the database a command opened once the tool is done:
// freed, or, when the process is about to exit, left to the kernel.
enum class Teardown { kFree, kLeaveToExit };

// Runs the tool on `argv`; regular output goes to `out`, messages to `err`,
// and passwords not on the command line come from `input` (by default
// standard input and the terminal). Returns the exit code.
int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
           Teardown teardown = Teardown::kFree);
int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
           cli::PasswordInput& input, Teardown teardown = Teardown::kFree);

}  // namespace vt
