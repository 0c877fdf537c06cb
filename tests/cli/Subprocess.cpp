#include "Subprocess.h"

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace zelto::testing {

namespace {

using namespace std::chrono_literals;

std::string Contents(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::filesystem::path NextOutput(const std::filesystem::path& folder) {
    static int runs = 0;
    return folder / ("run" + std::to_string(++runs) + ".out");
}

} // namespace

Subprocess::Subprocess(const std::vector<std::string>& argv, const std::filesystem::path& folder)
    : out_(NextOutput(folder)), err_(out_.string() + ".err") {
    pid_ = fork();
    if (pid_ != 0)
        return;
    const int out = open(out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = open(err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int in = open("/dev/null", O_RDONLY);
    if (out < 0 || err < 0 || in < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0 || dup2(in, 0) < 0)
        _exit(127);
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
}

Subprocess::~Subprocess() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

bool Subprocess::WaitForOutput(const std::string& text, std::chrono::milliseconds timeout) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (Contents(out_).find(text) == std::string::npos) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

void Subprocess::Signal(int signal) const {
    if (pid_ > 0)
        kill(pid_, signal);
}

std::optional<Finished> Subprocess::Wait(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    int status = 0;
    while (pid_ > 0 && waitpid(pid_, &status, WNOHANG) != pid_) {
        if (std::chrono::steady_clock::now() > deadline)
            return std::nullopt;
        std::this_thread::sleep_for(5ms);
    }
    pid_ = -1;
    Finished finished;
    if (WIFEXITED(status))
        finished.exitCode = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        finished.signal = WTERMSIG(status);
    finished.out = Contents(out_);
    finished.err = Contents(err_);
    return finished;
}

Finished RunToEnd(const std::vector<std::string>& argv, const std::filesystem::path& folder,
                  std::chrono::milliseconds timeout) {
    Subprocess child(argv, folder);
    return child.Wait(timeout).value_or(Finished{});
}

} // namespace zelto::testing
