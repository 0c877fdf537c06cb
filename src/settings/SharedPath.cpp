#include "settings/SharedPath.h"

#include "settings/SettingsFile.h"

#include <atomic>
#include <cerrno>
#include <map>

#include <fcntl.h>
#include <pthread.h>
#include <sys/file.h>
#include <unistd.h>

namespace zelto {
namespace {

namespace fs = std::filesystem;

std::atomic<unsigned> forkGeneration{0};

// Never destroyed, so a SettingsFile living in a static outlasts nothing it needs.
std::mutex& RegistryMutex() {
    static auto* mutex = new std::mutex;
    return *mutex;
}

std::map<fs::path, std::weak_ptr<SharedPath>>& Registry() {
    static auto* registry = new std::map<fs::path, std::weak_ptr<SharedPath>>;
    return *registry;
}

// The registry must not be copied into a child half-changed or locked by a thread the child does not have.
void WatchForks() {
    static std::once_flag once;
    std::call_once(once, [] {
        ::pthread_atfork([] { RegistryMutex().lock(); }, [] { RegistryMutex().unlock(); },
                         [] {
                             forkGeneration.fetch_add(1);
                             RegistryMutex().unlock();
                         });
    });
}

bool OpenLockFile(SharedPath& state, bool createFolder) {
    if (state.lockFd) {
        return true;
    }
    if (createFolder && !MakeFolders(state.path.parent_path())) {
        return false;
    }
    UniqueFd fd(::open(state.lockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!fd && (errno == EACCES || errno == EROFS)) {
        fd = UniqueFd(::open(state.lockPath.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    }
    state.lockFd = std::move(fd);
    return static_cast<bool>(state.lockFd);
}

// The lock file a process locks must be the one at the lock path: one deleted, or replaced with its
// folder, would leave every process locking a file of its own.
bool IsLockFileInPlace(const SharedPath& state) {
    struct stat locked {};
    struct stat named {};
    return ::fstat(state.lockFd.Get(), &locked) == 0 && ::stat(state.lockPath.c_str(), &named) == 0 &&
           locked.st_dev == named.st_dev && locked.st_ino == named.st_ino;
}

bool TakeFileLock(SharedPath& state, int mode, bool createFolder) {
    if (state.held == LOCK_EX || state.held == mode) {
        return true;
    }
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (!OpenLockFile(state, createFolder)) {
            return false;
        }
        while (::flock(state.lockFd.Get(), mode) != 0) {
            if (errno != EINTR) {
                return false;
            }
        }
        if (IsLockFileInPlace(state)) {
            state.held = mode;
            state.snapshotHeld = false;
            return true;
        }
        state.lockFd = UniqueFd();
        state.held = 0;
    }
    return false;
}

Load StatFile(const fs::path& path, struct stat& info) {
    if (::stat(path.c_str(), &info) == 0) {
        return Load::Present;
    }
    return errno == ENOENT || errno == ENOTDIR ? Load::Missing : Load::Failed;
}

bool Unchanged(const Snapshot& snapshot, Load seen, const struct stat& info) {
    if (seen != snapshot.state || seen == Load::Failed) {
        return false;
    }
    return seen == Load::Missing || FileIdentity::Of(info) == FileIdentity::Of(snapshot.info);
}

// Refresh, always looking at the file.
Load RefreshBySeeing(SharedPath& state) {
    Snapshot& snapshot = state.snapshot;
    struct stat info {};
    Load seen = StatFile(state.path, info);
    if (Unchanged(snapshot, seen, info)) {
        return seen;
    }
    // No lock file means no folder, so no writer that could be half-way through a change.
    if (state.held == 0 && TakeFileLock(state, LOCK_SH, false)) {
        seen = StatFile(state.path, info);
        if (Unchanged(snapshot, seen, info)) {
            return seen;
        }
    }
    snapshot.Clear();
    if (seen != Load::Present) {
        snapshot.state = seen;
        return seen;
    }
    UniqueFd fd(::open(state.path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd) {
        return errno == ENOENT ? Load::Missing : Load::Failed;
    }
    std::string content;
    if (::fstat(fd.Get(), &info) != 0 || !ReadAll(fd.Get(), content)) {
        return Load::Failed;
    }
    snapshot.state = Load::Present;
    snapshot.info = info;
    snapshot.file = std::move(fd);
    snapshot.document.emplace(std::move(content), SettingsFile::kSection);
    return Load::Present;
}

} // namespace

SharedPath::SharedPath(fs::path settingsPath, unsigned forkGeneration)
    : path(std::move(settingsPath)), lockPath(path.string() + ".lock"), generation(forkGeneration) {}

unsigned ForkGeneration() {
    return forkGeneration.load(std::memory_order_relaxed);
}

std::shared_ptr<SharedPath> SharedPathFor(const fs::path& path) {
    WatchForks();
    std::error_code error;
    fs::path key = fs::weakly_canonical(fs::absolute(path, error), error);
    if (error) {
        key = fs::absolute(path, error).lexically_normal();
    }
    const std::lock_guard lock(RegistryMutex());
    auto& registry = Registry();
    std::erase_if(registry, [](const auto& entry) { return entry.second.expired(); });
    auto& slot = registry[key];
    auto state = slot.lock();
    if (!state || state->generation != ForkGeneration()) {
        state = std::make_shared<SharedPath>(key, ForkGeneration());
        slot = state;
    }
    return state;
}

// Without a folder there is no lock file yet, and a Lock scope then goes without until a write in it
// creates both.
bool Enter(SharedPath& state, Access access) {
    state.mutex.lock();
    ++state.depth;
    if (access == Access::Write) {
        return TakeFileLock(state, LOCK_EX, true);
    }
    if (access == Access::Hold && state.depth == 1) {
        TakeFileLock(state, LOCK_EX, false);
    }
    return true;
}

void Leave(SharedPath& state) {
    // A Lock scope the parent was in when it forked is the parent's to end, flock and all.
    if (state.generation != ForkGeneration()) {
        return;
    }
    if (--state.depth == 0 && state.held != 0) {
        ::flock(state.lockFd.Get(), LOCK_UN);
        state.held = 0;
        state.snapshotHeld = false;
    }
    state.mutex.unlock();
}

Load Refresh(SharedPath& state) {
    if (state.held == LOCK_EX && state.snapshotHeld) {
        return state.snapshot.state;
    }
    const Load load = RefreshBySeeing(state);
    state.snapshotHeld = state.held == LOCK_EX && load != Load::Failed && load == state.snapshot.state;
    return load;
}

} // namespace zelto
