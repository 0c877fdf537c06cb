#include "FaultSupport.h"

#include <cerrno>
#include <csignal>
#include <fstream>
#include <sstream>
#include <thread>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zelto::faults {

void CountingNotices::ShowMessage(const std::string&) {
    const std::lock_guard lock(mutex_);
    ++counts_.messages;
}

bool CountingNotices::SetTooltipText(const std::string&) {
    const std::lock_guard lock(mutex_);
    ++counts_.tooltips;
    return true;
}

void CountingNotices::LogExchange(const std::string&, const std::string& outcome) {
    static const std::string kNotRecorded = " (the update record could not be written)";
    const std::lock_guard lock(mutex_);
    ++counts_.exchanges;
    if (outcome == "no answer")
        ++counts_.noAnswer;
    else if (outcome.starts_with("ip") && outcome.ends_with(kNotRecorded))
        ++counts_.recordFailed;
    else if (outcome.starts_with("ip"))
        ++counts_.registered;
}

CountingNotices::Counts CountingNotices::Now() const {
    const std::lock_guard lock(mutex_);
    return counts_;
}

EngineRig::EngineRig(const std::filesystem::path& settingsPath, HttpTimeouts timeouts, CycleTiming timing,
                     std::time_t start, std::time_t step)
    : settings(settingsPath), http("zelto-fault-test", timeouts),
      clock(start, step), ports{settings, http, autodial, addresses, clock, notices, sound}, thread(ports, timing) {}

void ConfigureOneDomain(SettingsFile& settings, const std::string& updateServer) {
    settings.WriteText("updateserver", updateServer);
    settings.WriteText("first_level1", "com");
    settings.WriteText("second_level1", "example");
    settings.WriteText("password1", "secret12");
    settings.WriteInt("numofdomains", 1);
}

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return done();
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

namespace {

long StatusKiB(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with(field + ":"))
            return std::stol(line.substr(field.size() + 1));
    }
    return -1;
}

bool ReadReport(int fd, std::string& text) {
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return got == 0;
        text.append(buffer, static_cast<std::size_t>(got));
    }
}

} // namespace

long ResidentKiB() {
    return StatusKiB("VmRSS");
}

long PeakResidentKiB() {
    return StatusKiB("VmHWM");
}

Child::Child(const std::function<std::string()>& body) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return;
    pid_ = ::fork();
    if (pid_ == 0) {
        ::close(fds[0]);
        const std::string report = body();
        const char* data = report.data();
        std::size_t left = report.size();
        while (left > 0) {
            const ssize_t put = ::write(fds[1], data, left);
            if (put <= 0)
                break;
            data += put;
            left -= static_cast<std::size_t>(put);
        }
        ::_exit(0);
    }
    ::close(fds[1]);
    reportFd_ = fds[0];
}

Child::~Child() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    if (reportFd_ >= 0)
        ::close(reportFd_);
}

std::string Child::Finish(std::chrono::seconds timeout) {
    if (pid_ <= 0)
        return "could not fork";
    int status = 0;
    const bool ended = WaitUntil([&] { return ::waitpid(pid_, &status, WNOHANG) == pid_; }, timeout);
    if (!ended) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &status, 0);
    }
    pid_ = -1;
    std::string report;
    ReadReport(reportFd_, report);
    if (!ended)
        return "still running after " + std::to_string(timeout.count()) + " s; " + report;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return "ended abnormally (status " + std::to_string(status) + "); " + report;
    return report;
}

Client::Client(const std::vector<std::string>& arguments) {
    std::vector<std::string> command{ZELTO_PREMIUM_EXE};
    command.insert(command.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : command)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_ = ::fork();
    if (pid_ == 0) {
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, STDIN_FILENO);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
}

Client::~Client() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
}

void Client::Signal(int signal) const {
    if (pid_ > 0)
        ::kill(pid_, signal);
}

int Client::Wait(std::chrono::milliseconds timeout) {
    int status = 0;
    if (pid_ <= 0 || !WaitUntil([&] { return ::waitpid(pid_, &status, WNOHANG) == pid_; }, timeout))
        return -1;
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int RunClient(const std::vector<std::string>& arguments) {
    Client client(arguments);
    return client.Wait(20s);
}

std::string ReadFileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

namespace {
bool privateMounts = false;
} // namespace

bool HavePrivateMounts() {
    return privateMounts;
}

void EnterPrivateMounts() {
    privateMounts = ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

std::unique_ptr<ScopedMount> ScopedMount::Tmpfs(const std::filesystem::path& at, std::size_t bytes) {
    const std::string options = "size=" + std::to_string(bytes) + ",mode=0700";
    if (!privateMounts || ::mount("zelto-fault", at.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) != 0)
        return nullptr;
    return std::unique_ptr<ScopedMount>(new ScopedMount(at));
}

std::unique_ptr<ScopedMount> ScopedMount::ReadOnly(const std::filesystem::path& at) {
    // A new bind mount has no writers yet, so it can be made read-only even while the client holds files
    // open for writing on the mount below it.
    if (!privateMounts || ::mount(at.c_str(), at.c_str(), nullptr, MS_BIND, nullptr) != 0)
        return nullptr;
    auto mount = std::unique_ptr<ScopedMount>(new ScopedMount(at));
    if (::mount(nullptr, at.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0)
        return nullptr;
    return mount;
}

ScopedMount::~ScopedMount() {
    ::umount2(at_.c_str(), MNT_DETACH);
}

std::filesystem::path FillDisk(const std::filesystem::path& folder) {
    const std::filesystem::path filler = folder / "filler";
    const int fd = ::open(filler.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const std::string block(4096, 'z');
    while (fd >= 0 && ::write(fd, block.data(), block.size()) > 0) {
    }
    // The last partial block, byte by byte, so that not even a small file fits.
    while (fd >= 0 && ::write(fd, "z", 1) > 0) {
    }
    if (fd >= 0)
        ::close(fd);
    return filler;
}

} // namespace zelto::faults
