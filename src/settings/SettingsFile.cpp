#include "settings/SettingsFile.h"

#include "settings/FileOps.h"
#include "settings/IniDocument.h"

#include <cerrno>
#include <cstdlib>
#include <map>
#include <mutex>
#include <optional>

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <unistd.h>

namespace zelto {
namespace {

namespace fs = std::filesystem;

// The last parsed version of the file. Holding the file open keeps its inode from being reused by a later
// file, so an unchanged identity really means an unchanged file.
struct Snapshot {
    UniqueFd file;
    struct stat info {};
    std::optional<IniDocument> document;
};

// What every SettingsFile of one path in this process shares: an open file description carries one flock,
// so two objects with their own descriptions would shut each other out, or with one would not exclude.
struct PathState {
    explicit PathState(fs::path settingsPath) : path(std::move(settingsPath)), lockPath(path.string() + ".lock") {}

    const fs::path path;
    const fs::path lockPath;
    std::recursive_mutex mutex;
    int depth = 0; // reads, writes and Lock scopes the holding thread is inside
    UniqueFd lockFd;
    pid_t lockOwner = 0; // a forked child must not share its parent's flock
    int held = 0;        // LOCK_SH or LOCK_EX while this process holds the file lock
    Snapshot snapshot;
};

std::shared_ptr<PathState> StateFor(const fs::path& path) {
    std::error_code error;
    fs::path key = fs::weakly_canonical(fs::absolute(path, error), error);
    if (error) {
        key = fs::absolute(path, error).lexically_normal();
    }
    // Never destroyed, so a SettingsFile living in a static outlasts nothing it needs.
    static auto* registryMutex = new std::mutex;
    static auto* registry = new std::map<fs::path, std::weak_ptr<PathState>>;
    const std::lock_guard lock(*registryMutex);
    std::erase_if(*registry, [](const auto& entry) { return entry.second.expired(); });
    auto& slot = (*registry)[key];
    auto state = slot.lock();
    if (!state) {
        state = std::make_shared<PathState>(key);
        slot = state;
    }
    return state;
}

bool OpenLockFile(PathState& state, bool createFolder) {
    if (state.lockFd && state.lockOwner == ::getpid()) {
        return true;
    }
    state.lockFd = UniqueFd();
    state.held = 0;
    if (createFolder && !MakeFolders(state.path.parent_path())) {
        return false;
    }
    UniqueFd fd(::open(state.lockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!fd && (errno == EACCES || errno == EROFS)) {
        fd = UniqueFd(::open(state.lockPath.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    }
    if (!fd) {
        return false;
    }
    state.lockFd = std::move(fd);
    state.lockOwner = ::getpid();
    return true;
}

bool TakeFileLock(PathState& state, int mode, bool createFolder) {
    if (state.held == LOCK_EX || state.held == mode) {
        return true;
    }
    if (!OpenLockFile(state, createFolder)) {
        return false;
    }
    while (::flock(state.lockFd.Get(), mode) != 0) {
        if (errno != EINTR) {
            return false;
        }
    }
    state.held = mode;
    return true;
}

enum class Access { Read, Write, Hold };

// Enters the path's critical section. Reads share the file lock with other processes' reads; writes and
// Lock scopes hold it alone. Without a folder there is no lock file yet, and a read then needs none:
// a file appears only by rename, whole.
bool Enter(PathState& state, Access access) {
    state.mutex.lock();
    ++state.depth;
    if (access == Access::Write) {
        return TakeFileLock(state, LOCK_EX, true);
    }
    if (state.depth == 1) {
        TakeFileLock(state, access == Access::Read ? LOCK_SH : LOCK_EX, false);
    }
    return true;
}

void Leave(PathState& state) {
    if (--state.depth == 0 && state.held != 0) {
        ::flock(state.lockFd.Get(), LOCK_UN);
        state.held = 0;
    }
    state.mutex.unlock();
}

class Guard {
public:
    Guard(PathState& state, Access access) : state_(state), locked_(Enter(state, access)) {}
    ~Guard() { Leave(state_); }
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;

    bool Locked() const { return locked_; }

private:
    PathState& state_;
    bool locked_;
};

enum class Load { Present, Missing, Failed };

// Brings the snapshot up to date: a stat when the file is unchanged, a read and parse when it is not.
Load Refresh(PathState& state) {
    Snapshot& snapshot = state.snapshot;
    struct stat info {};
    if (::stat(state.path.c_str(), &info) != 0) {
        const bool missing = errno == ENOENT || errno == ENOTDIR;
        snapshot = Snapshot();
        return missing ? Load::Missing : Load::Failed;
    }
    if (snapshot.document && FileIdentity::Of(info) == FileIdentity::Of(snapshot.info)) {
        return Load::Present;
    }
    snapshot = Snapshot();
    UniqueFd fd(::open(state.path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd) {
        return errno == ENOENT ? Load::Missing : Load::Failed;
    }
    std::string content;
    if (::fstat(fd.Get(), &info) != 0 || !ReadAll(fd.Get(), content)) {
        return Load::Failed;
    }
    snapshot.info = info;
    snapshot.file = std::move(fd);
    snapshot.document.emplace(std::move(content), SettingsFile::kSection);
    return Load::Present;
}

const std::string* Lookup(PathState& state, std::string_view key) {
    if (Refresh(state) != Load::Present) {
        return nullptr;
    }
    return state.snapshot.document->Find(key);
}

} // namespace

struct SettingsFile::State {
    fs::path given;
    std::shared_ptr<PathState> shared;
};

SettingsFile::SettingsFile(std::filesystem::path path) : state_(std::make_unique<State>()) {
    state_->shared = StateFor(path);
    state_->given = std::move(path);
}

SettingsFile::~SettingsFile() = default;

const std::filesystem::path& SettingsFile::Path() const {
    return state_->given;
}

int SettingsFile::ReadInt(std::string_view key, int def) const {
    PathState& state = *state_->shared;
    const Guard guard(state, Access::Read);
    const std::string* value = Lookup(state, key);
    return value == nullptr || value->empty() ? def : LeadingInt(*value);
}

std::string SettingsFile::ReadText(std::string_view key) const {
    PathState& state = *state_->shared;
    const Guard guard(state, Access::Read);
    const std::string* value = Lookup(state, key);
    return value == nullptr ? std::string() : value->substr(0, kMaxTextLength);
}

bool SettingsFile::WriteText(std::string_view key, std::string_view value) {
    if (!IsWritableKey(key) || !IsWritableValue(value)) {
        return false;
    }
    PathState& state = *state_->shared;
    const Guard guard(state, Access::Write);
    if (!guard.Locked()) {
        return false;
    }
    const Load load = Refresh(state);
    if (load == Load::Failed) {
        return false;
    }
    Snapshot& snapshot = state.snapshot;
    const bool present = load == Load::Present;
    std::string content =
        present ? snapshot.document->WithValue(key, value) : IniDocument(std::string(), kSection).WithValue(key, value);
    if (present && content == snapshot.document->Content()) {
        return true;
    }
    UniqueFd written;
    const bool done = ReplaceFile(state.path, content, present ? &snapshot.info : nullptr, written);
    snapshot = Snapshot();
    if (written && ::fstat(written.Get(), &snapshot.info) == 0) {
        snapshot.file = std::move(written);
        snapshot.document.emplace(std::move(content), kSection);
    }
    return done;
}

bool SettingsFile::WriteInt(std::string_view key, int value) {
    return WriteText(key, std::to_string(value));
}

SettingsFile::Lock::Lock(const SettingsFile& file) : file_(file) {
    Enter(*file_.state_->shared, Access::Hold);
}

SettingsFile::Lock::~Lock() {
    Leave(*file_.state_->shared);
}

std::string IndexedKey(std::string_view base, int number) {
    return std::string(base) + std::to_string(number);
}

std::filesystem::path DefaultSettingsPath() {
    const fs::path folder = fs::path("zelto-premium") / SettingsFile::kFileName;
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && fs::path(config).is_absolute()) {
        return config / folder;
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') {
        const passwd* user = ::getpwuid(::getuid());
        home = user != nullptr ? user->pw_dir : "/";
    }
    return fs::path(home) / ".config" / folder;
}

} // namespace zelto
