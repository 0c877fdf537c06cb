// Passwords given to the executable on standard input: from a pipe or file, and typed at a terminal.
#include "CliFixture.h"

#include <poll.h>
#include <sys/resource.h>
#include <termios.h>

namespace zelto {
namespace {

using namespace std::chrono_literals;
using PasswordTest = testing::CliTest;

TEST_F(PasswordTest, DomainCommandsReadOneLineFromStandardInputAndNeverPrintIt) {
    struct Case {
        std::vector<std::string> args;
        std::string input;
        int exitCode;
        std::string out;
        std::string err;
        std::string stored; // password1 afterwards
    };
    const std::string kRefused = "zelto-premium: ";
    const Case cases[] = {
        {{"domain", "add", "example", "com"},
         "Secret12\nnext line\n",
         0,
         "Domain example.com loaded.\n",
         "",
         "Secret12"},
        {{"domain", "add", "other", "net", "-"},
         "Other123\r\n",
         0,
         "Domain example.com, other.net loaded.\n",
         "",
         "Secret12"},
        {{"domain", "remove", "example", "com"},
         "Wrong12",
         1,
         "Domain example.com, other.net loaded.\n",
         kRefused + "no domain entry is example.com with that password\n",
         "Secret12"},
        {{"domain", "remove", "example", "com", "-"}, "Secret12", 0, "Domain other.net loaded.\n", "", "Other123"},
        {{"domain", "add", "short", "com"}, "Shrt5\n", 1, "Password must be 6-8 characters!\n", "", "Other123"},
        {{"domain", "add", "empty", "com"}, "\nSecret12\n", 1, "", kRefused + "the password is empty\n", "Other123"},
        {{"domain", "add", "none", "com"}, "", 1, "", kRefused + "no password on standard input\n", "Other123"},
        {{"domain", "add", "long", "com"},
         std::string(5000, 'x'),
         1,
         "",
         kRefused + "the password line is longer than 1024 bytes\n",
         "Other123"},
        {{"domain", "add", "nul", "com"},
         std::string(5000, '\0'),
         1,
         "",
         kRefused + "the password line is longer than 1024 bytes\n",
         "Other123"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[2]);
        input = c.input;
        const testing::Finished run = Cli(c.args);
        EXPECT_EQ(std::tie(run.exitCode, run.out, run.err), std::tie(c.exitCode, c.out, c.err));
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
    int master = -1, terminal = -1;
    pid_t pid = -1;
    std::string screen; // everything the program wrote to the terminal
    rlimit coreLimit{}; // the test's own, put back at the end

    void SetUp() override {
        // The program starts with core files allowed, as from a shell that allows them, so that the check
        // below sees what the program itself did.
        getrlimit(RLIMIT_CORE, &coreLimit);
        rlimit allowed{coreLimit.rlim_max, coreLimit.rlim_max};
        setrlimit(RLIMIT_CORE, &allowed);
        master = posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(master, 0);
        ASSERT_EQ(grantpt(master) | unlockpt(master), 0);
        terminal = open(ptsname(master), O_RDWR | O_NOCTTY);
        ASSERT_GE(terminal, 0);
        std::vector<std::string> words{
            "/usr/bin/env", "-C", dir.Path().string(), ZELTO_PREMIUM_EXE, "--settings", path.string(), "domain", "add",
            "example",      "com"};
        std::vector<char*> argv;
        for (std::string& word : words)
            argv.push_back(word.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        for (int fd : {0, 1, 2})
            posix_spawn_file_actions_adddup2(&actions, terminal, fd);
        posix_spawn_file_actions_addclose(&actions, master);
        ASSERT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
    }
    void TearDown() override {
        if (pid > 0 && waitpid(pid, nullptr, WNOHANG) == 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        close(master);
        close(terminal);
        setrlimit(RLIMIT_CORE, &coreLimit);
    }

    // Reads the terminal until `text` has appeared `times` times in all; false after polls of 100 ms.
    bool WaitFor(const std::string& text, int times = 1, int polls = 200) {
        for (; polls > 0; --polls) {
            std::size_t seen = 0;
            for (std::size_t at = screen.find(text); at != std::string::npos; at = screen.find(text, at + 1))
                ++seen;
            if (seen >= static_cast<std::size_t>(times))
                return true;
            pollfd ready{master, POLLIN, 0};
            char bytes[256];
            if (poll(&ready, 1, 100) > 0) {
                const ssize_t got = read(master, bytes, sizeof bytes);
                if (got > 0)
                    screen.append(bytes, static_cast<std::size_t>(got));
            }
        }
        return false;
    }
    bool Echoes() {
        termios settings{};
        tcgetattr(terminal, &settings);
        return (settings.c_lflag & ECHO) != 0;
    }
    int WaitStatus() {
        int status = 0;
        for (int polls = 0; polls < 400 && waitpid(pid, &status, WNOHANG) == 0; ++polls)
            std::this_thread::sleep_for(50ms);
        return status;
    }
    void Type(const std::string& text) { ASSERT_EQ(write(master, text.data(), text.size()), ssize_t(text.size())); }
};

TEST_F(TerminalPasswordTest, PromptsWithTheEchoOffAndPutsItBack) {
    ASSERT_TRUE(WaitFor("Password: ")) << screen;
    EXPECT_FALSE(Echoes());
    // Nothing it holds can end up in a core file (a hard limit of 0 would tell nothing).
    if (coreLimit.rlim_max != 0) {
        const std::string limits = fakes::ReadFile("/proc/" + std::to_string(pid) + "/limits");
        EXPECT_TRUE(std::regex_search(limits, std::regex(R"(Max core file size +0 )"))) << limits;
    }
    // A stop and continue (Ctrl-Z, fg) asks again, and the echo is off again.
    kill(pid, SIGTSTP);
    bool promptedAgain = false;
    for (int polls = 0; polls < 200 && !promptedAgain; ++polls) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG | WUNTRACED) == pid && WIFSTOPPED(status))
            kill(pid, SIGCONT);
        promptedAgain = WaitFor("Password: ", 2, 1);
    }
    ASSERT_TRUE(promptedAgain) << screen;
    EXPECT_FALSE(Echoes());
    Type("Secret12\n");
    ASSERT_TRUE(WaitFor("Domain example.com loaded.")) << screen;
    const int status = WaitStatus();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_TRUE(Echoes());
    EXPECT_EQ(screen.find("Secret12"), std::string::npos) << screen;
    EXPECT_EQ(Setting("password1"), "Secret12");
}

TEST_F(TerminalPasswordTest, ASignalAtThePromptEndsTheProgramWithTheEchoBack) {
    ASSERT_TRUE(WaitFor("Password: ")) << screen;
    Type("Secr");
    kill(pid, SIGTERM);
    const int status = WaitStatus();
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
    EXPECT_TRUE(Echoes());
    EXPECT_FALSE(std::filesystem::exists(path));
}

} // namespace
} // namespace zelto
