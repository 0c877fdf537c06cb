// Passwords given to the executable on standard input: from a pipe or file, and typed at a terminal.
#include "CliFixture.h"

#include <sys/resource.h>
#include <termios.h>

namespace zelto {
namespace {

using namespace std::chrono_literals;
using PasswordTest = testing::CliTest;

// Each domain command's refusal is told by its exit code; a password comes as an argument or as one line of
// standard input, and is never printed.
TEST_F(PasswordTest, DomainCommandsTellRefusalsByExitCodeAndNeverPrintAPassword) {
    const std::string two = "Domain example.com, other.net loaded.\n", one = "Domain other.net loaded.\n";
    const std::string wrong = "no domain entry is example.com with that password";
    const std::string tooLong = "the password line is longer than 1024 bytes";
    const struct {
        std::vector<std::string> args; // after "domain"
        std::string input;
        int exitCode;
        std::string out;
        std::string err;    // after "zelto-premium: "
        std::string stored; // password1 afterwards
    } cases[] = {
        {{"add", "example", "com"}, "Secret12\nnext line\n", 0, "Domain example.com loaded.\n", "", "Secret12"},
        {{"add", "other", "net", "-"}, "Other123\r\n", 0, two, "", "Secret12"},
        {{"remove", "example", "com"}, "Wrong12", 1, two, wrong, "Secret12"},
        {{"remove", "example", "com", "-"}, "Secret12", 0, one, "", "Other123"},
        {{"add", "empty", "com"}, "\nSecret12\n", 1, "", "the password is empty", "Other123"},
        {{"add", "none", "com"}, "", 1, "", "no password on standard input", "Other123"},
        {{"add", "long", "com"}, std::string(5000, 'x'), 1, "", tooLong, "Other123"},
        {{"add", "", "", ""}, "", 1, "Invalid Domain Name!\n", "", "Other123"},
        {{"password", "other", "net"}, "changed1\n", 0, "Password changed for other.net.\n", "", "changed1"},
        {{"password", "example", "com"}, "changed2\n", 1, one, "no domain entry is example.com", "changed1"},
        {{"clear"}, "", 0, "No Domains Loaded!\n", "", ""},
        {{"list"}, "", 0, "No Domains Loaded!\n", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.front() + " " + c.args.back());
        input = c.input;
        std::vector<std::string> args{"domain"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const testing::Finished run = Cli(args);
        const std::string err = c.err.empty() ? "" : "zelto-premium: " + c.err + "\n";
        EXPECT_EQ(std::tie(run.exitCode, run.out, run.err), std::tie(c.exitCode, c.out, err));
        EXPECT_EQ(Setting("password1"), c.stored);
        const std::string password = c.input.substr(0, c.input.find_first_of("\r\n"));
        if (!password.empty() && password.size() < 100) {
            EXPECT_EQ(run.All().find(password), std::string::npos) << "the password was printed";
        }
    }
}

// The executable on the far side of a pseudo-terminal, as a user at a terminal runs it.
class TerminalPasswordTest : public testing::CliTest {
protected:
    int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC), terminal = -1;
    pid_t pid = -1;
    std::string screen; // everything the program wrote to the terminal
    rlimit coreLimit{}; // the test's own, put back at the end

    void SetUp() override {
        // Core files allowed, as from a shell that allows them, so that the check below sees what the program did.
        getrlimit(RLIMIT_CORE, &coreLimit);
        const rlimit allowed{coreLimit.rlim_max, coreLimit.rlim_max};
        setrlimit(RLIMIT_CORE, &allowed);
        ASSERT_EQ(grantpt(master) | unlockpt(master), 0);
        terminal = open(ptsname(master), O_RDWR | O_NOCTTY | O_CLOEXEC);
        ASSERT_GE(terminal, 0);
        pid = Start({"domain", "add", "example", "com"}, terminal);
    }
    void TearDown() override {
        if (pid > 0)
            Ended(0ms);
        close(master);
        close(terminal);
        setrlimit(RLIMIT_CORE, &coreLimit);
    }

    // Reads the terminal until `text` has appeared `times` times in all; false when it waited `timeout` for more.
    bool WaitFor(const std::string& text, std::size_t times = 1, int timeoutMs = 20000) {
        for (char bytes[256];;) {
            std::size_t seen = 0;
            for (std::size_t at = screen.find(text); at != std::string::npos; at = screen.find(text, at + 1))
                ++seen;
            pollfd ready{master, POLLIN, 0};
            if (seen >= times)
                return true;
            const ssize_t got = poll(&ready, 1, timeoutMs) == 1 ? read(master, bytes, sizeof bytes) : 0;
            if (got <= 0)
                return false;
            screen.append(bytes, static_cast<std::size_t>(got));
        }
    }
    bool Echoes() {
        termios settings{};
        tcgetattr(terminal, &settings);
        return (settings.c_lflag & ECHO) != 0;
    }
    int Ended(std::chrono::milliseconds timeout = 20s) { return Reap(std::exchange(pid, -1), timeout); }
};

TEST_F(TerminalPasswordTest, PromptsWithTheEchoOffAndPutsItBack) {
    ASSERT_TRUE(WaitFor("Password: ")) << screen;
    EXPECT_FALSE(Echoes());
    // Nothing it holds can end up in a core file (a hard limit of 0 would tell nothing).
    if (coreLimit.rlim_max != 0) {
        const std::string limits = fakes::ReadFile("/proc/" + std::to_string(pid) + "/limits");
        EXPECT_TRUE(std::regex_search(limits, std::regex(R"(Max core file size +0 )"))) << limits;
    }
    // A stop and continue (Ctrl-Z, fg) asks again, and the echo is off again. Where its process group is
    // orphaned the system does not stop it, and it asks again at once.
    kill(pid, SIGTSTP);
    bool promptedAgain = false;
    for (int status = 0, looks = 0; !promptedAgain && looks < 200; ++looks) {
        if (waitpid(pid, &status, WNOHANG | WUNTRACED) == pid && WIFSTOPPED(status))
            kill(pid, SIGCONT);
        promptedAgain = WaitFor("Password: ", 2, 100);
    }
    ASSERT_TRUE(promptedAgain) << screen;
    EXPECT_FALSE(Echoes());
    ASSERT_EQ(write(master, "Secret12\n", 9), 9);
    ASSERT_TRUE(WaitFor("Domain example.com loaded.")) << screen;
    const int status = Ended();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_TRUE(Echoes());
    EXPECT_EQ(screen.find("Secret12"), std::string::npos) << screen;
    EXPECT_EQ(Setting("password1"), "Secret12");
}

} // namespace
} // namespace zelto
