#include "FaultSupport.h"

#include <csignal>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zelto::faults {

void CountingNotices::LogExchange(const std::string&, const std::string& outcome) {
    const std::lock_guard lock(mutex_);
    ++counts_.exchanges;
    if (outcome == "no answer")
        ++counts_.noAnswer;
    else if (outcome.starts_with("ip"))
        ++(outcome.ends_with(" (the update record could not be written)") ? counts_.recordFailed : counts_.registered);
}

bool CountingNotices::Add(int Counts::*field) {
    const std::lock_guard lock(mutex_);
    ++(counts_.*field);
    return true;
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

long StatusKiB(const std::string& field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with(field + ":"))
            return std::stol(line.substr(field.size() + 1));
    }
    return -1;
}

namespace {

int Listen(int& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 16) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("cannot listen on 127.0.0.1");
    port = ntohs(address.sin_port);
    return fd;
}

bool Readable(int fd, int ms) {
    pollfd entry{fd, POLLIN, 0};
    return ::poll(&entry, 1, ms) > 0;
}

bool privateMounts = false;

} // namespace

RawServer::RawServer(std::string answer, bool reset)
    : answer_(std::move(answer)), reset_(reset), listener_(Listen(port_)), thread_([this] {
          const auto deadline = std::chrono::steady_clock::now() + 60s;
          while (!stopping_ && std::chrono::steady_clock::now() < deadline) {
              const int fd = Readable(listener_, 20) ? ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC) : -1;
              if (fd < 0)
                  continue;
              char head[16384]; // the request, ignored
              if (Readable(fd, 2000))
                  (void)!::recv(fd, head, sizeof head, 0);
              (void)!::send(fd, answer_.data(), answer_.size(), MSG_NOSIGNAL);
              const linger abort{1, 0};
              if (reset_)
                  ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
              ::close(fd);
          }
      }) {}

RawServer::~RawServer() {
    stopping_ = true;
    thread_.join();
    ::close(listener_);
}

int RefusingPort() {
    int port = 0;
    ::close(Listen(port));
    return port;
}

Process::Process(const std::function<int()>& body) : pid_(::fork()) {
    if (pid_ == 0)
        ::_exit(body());
}

Process::~Process() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
}

void Process::Signal(int signal) const {
    if (pid_ > 0)
        ::kill(pid_, signal);
}

int Process::Wait(std::chrono::milliseconds timeout) {
    int status = 0;
    if (pid_ <= 0 || !WaitUntil([&] { return ::waitpid(pid_, &status, WNOHANG) == pid_; }, timeout))
        return -1;
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

Process Process::Client(const std::vector<std::string>& arguments) {
    std::vector<std::string> command{ZELTO_PREMIUM_EXE};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return Process([command]() mutable {
        std::vector<char*> argv;
        for (std::string& argument : command)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        const int null = ::open("/dev/null", O_RDWR);
        for (int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO})
            ::dup2(null, fd);
        ::execv(argv[0], argv.data());
        return 127;
    });
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

bool EnterPrivateMounts() {
    return privateMounts =
               ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

bool HavePrivateMounts() {
    return privateMounts;
}

// A new bind mount has no writers yet, so it can be made read-only even while the client holds files open
// for writing on the mount below it.
ScopedMount::ScopedMount(const std::filesystem::path& at, std::size_t tmpfsBytes) : at_(at) {
    const std::string options = "size=" + std::to_string(tmpfsBytes) + ",mode=0700";
    ok = privateMounts &&
         (tmpfsBytes > 0 ? ::mount("zelto-fault", at.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) == 0
                         : ::mount(at.c_str(), at.c_str(), nullptr, MS_BIND, nullptr) == 0 &&
                               ::mount(nullptr, at.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0);
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
    // The last partial block byte by byte, so that not even a small file fits.
    while (fd >= 0 && ::write(fd, "z", 1) > 0) {
    }
    ::close(fd);
    return filler;
}

} // namespace zelto::faults
