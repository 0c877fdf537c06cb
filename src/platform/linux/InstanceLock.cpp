#include "platform/InstanceLock.h"
#include "platform/InstanceRecord.h"

#include <cerrno>
#include <chrono>
#include <string>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zelto {

namespace {

// The holder writes its line just after taking the lock; a claim in between waits for it this long at most.
constexpr int kRecordReads = 20;
constexpr auto kRecordWait = std::chrono::milliseconds(10);

int OpenLockFile(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd >= 0 || errno != ENOENT)
        return fd;
    // A first start, before anything made the settings folder.
    std::error_code ignored;
    std::filesystem::create_directories(path.parent_path(), ignored);
    ::chmod(path.parent_path().c_str(), 0700);
    return ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
}

InstanceHolder ReadHolder(int fd) {
    InstanceHolder holder;
    for (int attempt = 0; attempt < kRecordReads; ++attempt) {
        char text[64] = {};
        const ssize_t got = ::pread(fd, text, sizeof text - 1, 0);
        holder = ParseInstanceRecord(std::string_view(text, got > 0 ? static_cast<std::size_t>(got) : 0));
        if (holder.pid != 0)
            break;
        std::this_thread::sleep_for(kRecordWait);
    }
    return holder;
}

// The settings file itself, locked by its inode: a hard link reaches the same lock. A file not there yet, or
// one that is no regular file, gives nothing to hold (-1), as does one not readable here.
int HoldSettingsFile(const std::filesystem::path& settings, bool& heldElsewhere) {
    const int fd = ::open(settings.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return -1;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return fd;
        heldElsewhere = errno == EWOULDBLOCK;
    }
    ::close(fd);
    return -1;
}

} // namespace

struct InstanceLock::State {
    int fd = -1;
    int settingsFd = -1;
    Claim claim = Claim::Unavailable;
    InstanceHolder holder;
};

InstanceLock::InstanceLock(const std::filesystem::path& settings, ClientKind kind) : state_(std::make_unique<State>()) {
    const int fd = OpenLockFile(LockPath(settings));
    if (fd < 0)
        return;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK) {
            state_->claim = Claim::HeldElsewhere;
            state_->holder = ReadHolder(fd);
        }
        ::close(fd);
        return;
    }
    bool heldElsewhere = false;
    state_->settingsFd = HoldSettingsFile(settings, heldElsewhere);
    if (heldElsewhere) {
        // Another name of the same file: its holder's record lies beside that name.
        state_->claim = Claim::HeldElsewhere;
        ::close(fd);
        return;
    }
    const std::string record = FormatInstanceRecord(::getpid(), kind);
    // A record that cannot be written leaves the lock held; a refused client then names no process.
    [[maybe_unused]] const bool recorded =
        ::ftruncate(fd, 0) == 0 && ::pwrite(fd, record.data(), record.size(), 0) == static_cast<ssize_t>(record.size());
    state_->fd = fd;
    state_->claim = Claim::Taken;
}

InstanceLock::~InstanceLock() {
    if (state_->fd < 0)
        return;
    // Emptied, not removed: removing would let a later claim lock a new file while a waiting one locks the old.
    [[maybe_unused]] const int emptied = ::ftruncate(state_->fd, 0);
    ::close(state_->fd);
    if (state_->settingsFd >= 0)
        ::close(state_->settingsFd);
}

InstanceLock::Claim InstanceLock::Result() const {
    return state_->claim;
}

const InstanceHolder& InstanceLock::Holder() const {
    return state_->holder;
}

} // namespace zelto
