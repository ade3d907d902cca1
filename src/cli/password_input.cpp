#include "cli/password_input.h"

#include <fcntl.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <string>

#include "common/error.h"

namespace vt::cli {
namespace {

// Far above the 255 characters Access takes, in UTF-8; a line longer than
// this is not a password, and reading on would only fill memory.
constexpr std::size_t kMaxLine = 4096;

// Reads up to the end of the line, one byte at a time so that nothing after
// it is taken from the stream. Wipes what it read when it gives up.
std::optional<std::string> ReadLine(int fd) {
    std::string line;
    bool any = false;
    for (;;) {
        char c = 0;
        const ssize_t n = ::read(fd, &c, 1);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        any = true;
        if (c == '\n') {
            break;
        }
        if (line.size() >= kMaxLine) {
            std::fill(line.begin(), line.end(), '\0');
            throw ErrorException(err::kInvalidArgument,
                                 "The password line is longer than " + std::to_string(kMaxLine) +
                                     " bytes.");
        }
        line.push_back(c);
    }
    if (!any) {
        return std::nullopt;
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return line;
}

void WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return;
        }
        done += static_cast<std::size_t>(n);
    }
}

// The terminal settings to put back if a signal ends the program while echo
// is off; a terminal left without echo would hide the user's next commands.
volatile sig_atomic_t gEchoOff = 0;
int gTerminal = -1;
struct termios gSaved {};

extern "C" void RestoreAndRaise(int signal) {
    if (gEchoOff != 0) {
        ::tcsetattr(gTerminal, TCSANOW, &gSaved);
    }
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

class EchoOff {
public:
    explicit EchoOff(int fd) : fd_(fd) {
        struct termios settings {};
        if (::tcgetattr(fd_, &settings) != 0) {
            return;
        }
        gTerminal = fd_;
        gSaved = settings;
        for (std::size_t i = 0; i < kSignals.size(); ++i) {
            ::sigaction(kSignals[i], nullptr, &previous_[i]);
            if (previous_[i].sa_handler == SIG_IGN) {
                continue;  // what the caller ignores stays ignored
            }
            struct sigaction action {};
            action.sa_handler = RestoreAndRaise;
            sigemptyset(&action.sa_mask);
            ::sigaction(kSignals[i], &action, nullptr);
        }
        settings.c_lflag &= static_cast<tcflag_t>(~ECHO);
        settings.c_lflag |= ECHONL;
        gEchoOff = 1;
        active_ = ::tcsetattr(fd_, TCSAFLUSH, &settings) == 0;
        if (!active_) {
            Restore();
        }
    }
    ~EchoOff() {
        if (active_) {
            Restore();
        }
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

private:
    static constexpr std::array<int, 5> kSignals = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGTSTP};

    void Restore() {
        ::tcsetattr(fd_, TCSAFLUSH, &gSaved);
        gEchoOff = 0;
        for (std::size_t i = 0; i < kSignals.size(); ++i) {
            ::sigaction(kSignals[i], &previous_[i], nullptr);
        }
    }

    int fd_;
    bool active_ = false;
    std::array<struct sigaction, 5> previous_{};
};

class TerminalInput final : public PasswordInput {
public:
    std::optional<std::string> FirstLine() override { return ReadLine(STDIN_FILENO); }

    bool Interactive() override { return ::isatty(STDIN_FILENO) == 1; }

    std::optional<std::string> Ask(const std::string& prompt) override {
        // The controlling terminal, as other password prompts use it; standard
        // input and error when there is none.
        int fd = ::open("/dev/tty", O_RDWR | O_CLOEXEC | O_NOCTTY);
        const bool own = fd >= 0;
        if (!own) {
            fd = STDIN_FILENO;
        }
        std::optional<std::string> answer;
        {
            // Echo goes off before the prompt shows, so nothing typed at it
            // is ever echoed or flushed away by the change.
            EchoOff quiet(fd);
            WriteAll(own ? fd : STDERR_FILENO, prompt);
            answer = ReadLine(fd);
        }
        if (own) {
            ::close(fd);
        }
        return answer;
    }
};

}  // namespace

std::unique_ptr<PasswordInput> MakeTerminalInput() { return std::make_unique<TerminalInput>(); }

}  // namespace vt::cli
