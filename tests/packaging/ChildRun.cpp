#include "ChildRun.h"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace zelto::testing {

namespace {

[[noreturn]] void Child(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                        const std::filesystem::path& folder, const std::filesystem::path& out,
                        const std::filesystem::path& err) {
    const int outFd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    const int errFd = out == err ? outFd : ::open(err.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    const int inFd = ::open("/dev/null", O_RDONLY);
    if (outFd < 0 || errFd < 0 || inFd < 0 || ::dup2(outFd, 1) < 0 || ::dup2(errFd, 2) < 0 || ::dup2(inFd, 0) < 0 ||
        ::chdir(folder.c_str()) != 0)
        ::_exit(127);
    for (const std::string& change : env) {
        const std::size_t equals = change.find('=');
        if (equals == std::string::npos)
            ::unsetenv(change.c_str());
        else
            ::setenv(change.substr(0, equals).c_str(), change.substr(equals + 1).c_str(), 1);
    }
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    ::execv(args[0], args.data());
    ::_exit(127);
}

} // namespace

int RunChild(const std::vector<std::string>& argv, const std::vector<std::string>& env,
             const std::filesystem::path& folder, const std::filesystem::path& out, const std::filesystem::path& err,
             std::chrono::milliseconds timeout) {
    const pid_t pid = ::fork();
    if (pid == 0)
        Child(argv, env, folder, out, err);
    if (pid < 0)
        return -1;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) != pid) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string FileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string StreamId(const std::filesystem::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return "";
    return std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
}

} // namespace zelto::testing
