// Passwords for vellumtide-cli without the command line: --password-stdin,
// the prompt on a terminal (a real pseudo-terminal for the executable), and
// 3031 naming the file when the password is wrong or missing.

#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <fstream>
#include <regex>
#include <sstream>

#include "cli/cli_app.h"
#include "cli/password_input.h"
#include "support/files.h"

namespace vt {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

const std::string kJet = std::string(VT_TEST_DATA_DIR) + "/jet/";
const std::string kAgile = kJet + "jackcessencrypt/db2013-enc.accdb";  // "1234"
const std::string kStandard = kJet + "office-crypto/standard-aes128.accdb";
const std::string kMadePassword = "Vellum tide \xC3\x9F\xE2\x82\xAC\xF0\x9F\x98\x80";
const std::string kJetProtected = kJet + "mdb-reader/V2003_with-password.mdb";  // "password"
const std::string kPlain = kJet + "mdb-reader/bigint.accdb";

// Standard input and the terminal as a test scripts them.
class ScriptedInput : public cli::PasswordInput {
public:
    std::optional<std::string> FirstLine() override {
        ++linesRead;
        return line;
    }
    bool Interactive() override { return interactive; }
    std::optional<std::string> Ask(const std::string& prompt) override {
        prompts.push_back(prompt);
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected prompt: " << prompt;
            return std::nullopt;
        }
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::optional<std::string> line;
    bool interactive = false;
    std::deque<std::optional<std::string>> answers;
    std::vector<std::string> prompts;
    int linesRead = 0;
};

struct Result {
    int code;
    std::string out;
    std::string err;
};

Result RunTool(std::vector<std::string> args, ScriptedInput& input) {
    args.insert(args.begin(), "vellumtide-cli");
    std::vector<const char*> argv;
    for (const auto& a : args) {
        argv.push_back(a.c_str());
    }
    std::ostringstream out, err;
    const int code = RunCli(static_cast<int>(argv.size()), argv.data(), out, err, input);
    return {code, out.str(), err.str()};
}

std::string WrongPasswordMessage(const std::string& path) {
    return "3031 : '" + path + "': Not a valid password.";
}

TEST(CliPassword, StdinWithAWrongOrNoLineIsError3031AndNoPrompt) {
    for (const std::optional<std::string>& line :
         {std::optional<std::string>("12345"), std::optional<std::string>(""), std::optional<std::string>()}) {
        ScriptedInput input;
        input.line = line;
        input.interactive = true;
        const Result r = RunTool({"schema", kAgile, "--password-stdin"}, input);
        EXPECT_EQ(r.code, exit_code::kOpenFailed);
        EXPECT_THAT(r.err, HasSubstr(WrongPasswordMessage(kAgile)));
        EXPECT_EQ(r.out, "");
        EXPECT_TRUE(input.prompts.empty());
    }
}

TEST(CliPassword, ATerminalIsAskedOnceWhenNoPasswordIsGiven) {
    ScriptedInput input;
    input.interactive = true;
    input.answers = {kMadePassword};
    const Result r = RunTool({"list", kStandard, "-q"}, input);
    EXPECT_EQ(r.code, exit_code::kSuccess) << r.err;
    EXPECT_EQ(input.prompts, std::vector<std::string>{"Password for '" + kStandard + "': "});
    EXPECT_THAT(r.out, HasSubstr("[Table        ]Table1\n"));
    EXPECT_THAT(r.out + r.err, Not(HasSubstr("Vellum")));

    // A Jet database password is asked for the same way.
    ScriptedInput jet;
    jet.interactive = true;
    jet.answers = {std::string("password")};
    EXPECT_EQ(RunTool({"list", kJetProtected, "-q"}, jet).code, exit_code::kSuccess);
    EXPECT_EQ(jet.prompts.size(), 1u);
}

TEST(CliPassword, AWrongAnswerOrTheEndOfInputIsError3031) {
    for (const std::optional<std::string>& answer :
         {std::optional<std::string>("wrong"), std::optional<std::string>()}) {
        ScriptedInput input;
        input.interactive = true;
        input.answers = {answer};
        const Result r = RunTool({"list", kStandard}, input);
        EXPECT_EQ(r.code, exit_code::kOpenFailed);
        EXPECT_THAT(r.err, HasSubstr(WrongPasswordMessage(kStandard)));
        EXPECT_EQ(input.prompts.size(), 1u) << "asked once, not again";
    }
}

TEST(CliPassword, NoPromptWithoutATerminalWithAGivenPasswordOrWithoutProtection) {
    ScriptedInput noTerminal;
    Result r = RunTool({"list", kStandard}, noTerminal);
    EXPECT_EQ(r.code, exit_code::kOpenFailed);
    EXPECT_THAT(r.err, HasSubstr(WrongPasswordMessage(kStandard)));

    ScriptedInput terminal;
    terminal.interactive = true;
    r = RunTool({"list", kStandard, "--password", "wrong"}, terminal);
    EXPECT_EQ(r.code, exit_code::kOpenFailed);
    EXPECT_THAT(r.err, HasSubstr(WrongPasswordMessage(kStandard)));
    EXPECT_THAT(r.err, Not(HasSubstr("wrong")));

    r = RunTool({"list", kPlain, "-q"}, terminal);
    EXPECT_EQ(r.code, exit_code::kSuccess);
    EXPECT_TRUE(terminal.prompts.empty());
    EXPECT_EQ(terminal.linesRead, 0);
}

TEST(CliPassword, PasswordAndPasswordStdinTogetherIsAUsageError) {
    ScriptedInput input;
    const Result r = RunTool({"list", kAgile, "--password", "1234", "--password-stdin"}, input);
    EXPECT_EQ(r.code, exit_code::kUsage);
    EXPECT_EQ(input.linesRead, 0);
}

// --- The executable --------------------------------------------------------

class CliPasswordExecutable : public test::ScratchFolderTest {
protected:
    // Runs the tool with `stdinFile` as standard input.
    Result RunWithStdin(const std::string& args, const std::string& stdinText) {
        { std::ofstream(Path("stdin"), std::ios::binary) << stdinText; }
        const std::string command = std::string(VT_CLI_PATH) + " " + args + " <'" + Path("stdin") + "' >'" +
                                    Path("out") + "' 2>'" + Path("err") + "'";
        const int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, test::ReadFile(Path("out")), test::ReadFile(Path("err"))};
    }
};

TEST_F(CliPasswordExecutable, PasswordStdinReadsTheFirstLineOnly) {
    Result r = RunWithStdin("list '" + kStandard + "' --password-stdin -q", kMadePassword + "\nsecond line\n");
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out.rfind("[Table        ]Table1\n", 0), 0u) << r.out;
    r = RunWithStdin("list '" + kStandard + "' --password-stdin -q", kMadePassword + "\r\n");
    EXPECT_EQ(r.code, 0) << "a Windows line ending is not in the password";
    r = RunWithStdin("list '" + kStandard + "' --password-stdin", "second line\n" + kMadePassword + "\n");
    EXPECT_EQ(r.code, 3);
    EXPECT_THAT(r.err, HasSubstr(WrongPasswordMessage(kStandard)));
    EXPECT_THAT(r.err, Not(HasSubstr("second")));
    r = RunWithStdin("list '" + kStandard + "' --password-stdin", std::string(5000, 'x'));
    EXPECT_EQ(r.code, 3);
    EXPECT_THAT(r.err, HasSubstr("longer than 4096 bytes"));
    // Standard input that is not a terminal is never asked.
    r = RunWithStdin("list '" + kStandard + "'", kMadePassword + "\n");
    EXPECT_EQ(r.code, 3);
    EXPECT_THAT(r.err, HasSubstr(WrongPasswordMessage(kStandard)));
}

struct TerminalRun {
    int status = -1;
    std::string screen;
    bool prompted = false;
};

// Runs `command` under /bin/sh on a new pseudo-terminal and types `answer`
// once `prompt` shows; everything the terminal shows is kept.
TerminalRun RunOnTerminal(const std::string& command, const std::string& prompt, const std::string& answer) {
    TerminalRun run;
    int master = -1;
    const pid_t pid = ::forkpty(&master, nullptr, nullptr, nullptr);
    if (pid < 0) {
        ADD_FAILURE() << "no pseudo-terminal";
        return run;
    }
    if (pid == 0) {
        ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    for (;;) {
        pollfd ready{master, POLLIN, 0};
        if (::poll(&ready, 1, 100) > 0) {
            char buffer[512];
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n <= 0) {
                break;  // the program and the shell are done
            }
            run.screen.append(buffer, static_cast<std::size_t>(n));
        }
        if (!run.prompted && run.screen.find(prompt) != std::string::npos) {
            run.prompted = true;
            const std::string typed = answer + "\r";  // Enter, as a keyboard sends it
            EXPECT_EQ(::write(master, typed.data(), typed.size()), static_cast<ssize_t>(typed.size()));
        }
        if (std::chrono::steady_clock::now() > deadline) {
            ADD_FAILURE() << "timed out; the terminal shows:\n" << run.screen;
            ::kill(pid, SIGKILL);
            break;
        }
    }
    ::waitpid(pid, &run.status, 0);
    ::close(master);
    return run;
}

TEST_F(CliPasswordExecutable, ATerminalIsAskedWithoutEchoAndEchoComesBack) {
    const std::string prompt = "Password for '" + kStandard + "': ";
    const std::string command =
        std::string(VT_CLI_PATH) + " list '" + kStandard + "' -q; echo \"exit=$?\"; stty -a";
    const TerminalRun right = RunOnTerminal(command, prompt, kMadePassword);
    EXPECT_TRUE(right.prompted) << right.screen;
    EXPECT_THAT(right.screen, HasSubstr("[Table        ]Table1"));
    EXPECT_THAT(right.screen, HasSubstr("exit=0"));
    EXPECT_THAT(right.screen, Not(HasSubstr("Vellum"))) << "the password was echoed";
    // stty after the tool: echo is on again.
    EXPECT_TRUE(std::regex_search(right.screen, std::regex("(^|[ ;\\r\\n])echo([ ;\\r\\n]|$)"))) << right.screen;
    EXPECT_FALSE(std::regex_search(right.screen, std::regex("-echo([ ;\\r\\n]|$)"))) << right.screen;

    const TerminalRun wrong = RunOnTerminal(command, prompt, "not it");
    EXPECT_TRUE(wrong.prompted);
    EXPECT_THAT(wrong.screen, HasSubstr(WrongPasswordMessage(kStandard)));
    EXPECT_THAT(wrong.screen, HasSubstr("exit=3"));
    EXPECT_THAT(wrong.screen, Not(HasSubstr("not it")));
}

TEST_F(CliPasswordExecutable, InterruptingThePromptGivesTheEchoBack) {
    // Ctrl-C at the prompt: the terminal sends SIGINT to the tool (and to the
    // shell, which waits for it and then shows the terminal's settings).
    const std::string command = "trap 'echo interrupted; stty -a; exit 130' INT; " + std::string(VT_CLI_PATH) +
                                " list '" + kStandard + "'; echo finished";
    const TerminalRun run = RunOnTerminal(command, "Password for", "\x03");
    EXPECT_TRUE(run.prompted);
    EXPECT_THAT(run.screen, HasSubstr("interrupted"));
    EXPECT_THAT(run.screen, Not(HasSubstr("finished")));
    EXPECT_THAT(run.screen, Not(HasSubstr("[Table")));
    EXPECT_TRUE(std::regex_search(run.screen, std::regex("(^|[ ;\\r\\n])echo([ ;\\r\\n]|$)"))) << run.screen;
    EXPECT_FALSE(std::regex_search(run.screen, std::regex("-echo([ ;\\r\\n]|$)"))) << run.screen;
}

}  // namespace
}  // namespace vt
