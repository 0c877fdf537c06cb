#include "settings/SharedPath.h"

#include "settings/SettingsFile.h"
#include "settings/SettingsLocation.h"

#include <atomic>
#include <map>

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
void WatchRegistryForks() {
    static std::once_flag once;
    std::call_once(once, [] {
        WatchForks([] { RegistryMutex().lock(); }, [] { RegistryMutex().unlock(); },
                   [] {
                       forkGeneration.fetch_add(1);
                       RegistryMutex().unlock();
                   });
    });
}

bool OpenLock(SharedPath& state, bool createFolder) {
    if (state.lockFile) {
        return true;
    }
    if (createFolder && !MakeFolders(state.path.parent_path())) {
        return false;
    }
    return OpenLockFile(state.lockPath, state.lockFile);
}

// The lock file a process locks must be the one at the lock path: one deleted, or replaced with its
// folder, would leave every process locking a file of its own.
bool TakeFileLock(SharedPath& state, LockMode mode, bool createFolder) {
    if (state.held == LockMode::Exclusive || state.held == mode) {
        return true;
    }
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (!OpenLock(state, createFolder) || !LockFile(state.lockFile, mode)) {
            return false;
        }
        if (IsFileAt(state.lockFile, state.lockPath)) {
            state.held = mode;
            state.snapshotHeld = false;
            return true;
        }
        state.lockFile = UniqueFile();
        state.held = LockMode::None;
    }
    return false;
}

bool Unchanged(const Snapshot& snapshot, Load seen, const FileInfo& info) {
    if (seen != snapshot.state || seen == Load::Failed) {
        return false;
    }
    return seen == Load::Missing || info.SameVersion(snapshot.info);
}

// The file to read: the settings file, or while it does not exist the file it starts from.
Load LookAtSource(const SharedPath& state, FileInfo& info, const fs::path*& source) {
    source = &state.path;
    const Load seen = Look(state.path, info);
    if (seen != Load::Missing || state.startingContent.empty()) {
        return seen;
    }
    source = &state.startingContent;
    return Look(state.startingContent, info);
}

// Refresh, always looking at the file.
Load RefreshBySeeing(SharedPath& state) {
    Snapshot& snapshot = state.snapshot;
    FileInfo info;
    const fs::path* source = nullptr;
    Load seen = LookAtSource(state, info, source);
    if (Unchanged(snapshot, seen, info)) {
        return seen;
    }
    // No lock file means no folder, so no writer that could be half-way through a change.
    if (state.held == LockMode::None && TakeFileLock(state, LockMode::Shared, false)) {
        seen = LookAtSource(state, info, source);
        if (Unchanged(snapshot, seen, info)) {
            return seen;
        }
    }
    snapshot.Clear();
    if (seen != Load::Present) {
        snapshot.state = seen;
        return seen;
    }
    UniqueFile file;
    std::string content;
    const Load opened = OpenForReading(*source, file, info);
    if (opened != Load::Present) {
        return opened;
    }
    if (!ReadAll(file, content)) {
        return Load::Failed;
    }
    snapshot.state = Load::Present;
    snapshot.info = info;
    if (kSnapshotHoldsFile) {
        snapshot.file = std::move(file);
    }
    snapshot.document.emplace(std::move(content), SettingsFile::kSection);
    snapshot.fromStartingContent = source != &state.path;
    return Load::Present;
}

} // namespace

SharedPath::SharedPath(fs::path settingsPath, unsigned forkGeneration)
    : path(std::move(settingsPath)), lockPath(path.native() + fs::path(".lock").native()),
      startingContent(StartingContentFor(path)), generation(forkGeneration) {}

unsigned ForkGeneration() {
    return forkGeneration.load(std::memory_order_relaxed);
}

std::shared_ptr<SharedPath> SharedPathFor(const fs::path& path) {
    WatchRegistryForks();
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
        return TakeFileLock(state, LockMode::Exclusive, true);
    }
    if (access == Access::Hold && state.depth == 1) {
        TakeFileLock(state, LockMode::Exclusive, false);
    }
    return true;
}

void Leave(SharedPath& state) {
    // A Lock scope the parent was in when it forked is the parent's to end, flock and all.
    if (state.generation != ForkGeneration()) {
        return;
    }
    if (--state.depth == 0 && state.held != LockMode::None) {
        UnlockFile(state.lockFile);
        state.held = LockMode::None;
        state.snapshotHeld = false;
    }
    state.mutex.unlock();
}

Load Refresh(SharedPath& state) {
    if (state.held == LockMode::Exclusive && state.snapshotHeld) {
        return state.snapshot.state;
    }
    const Load load = RefreshBySeeing(state);
    state.snapshotHeld = state.held == LockMode::Exclusive && load != Load::Failed && load == state.snapshot.state;
    return load;
}

bool Replace(SharedPath& state, std::string content) {
    Snapshot& snapshot = state.snapshot;
    // A file made from the starting content is a new file here: it gets the mode of one.
    const bool replacing = snapshot.state == Load::Present && !snapshot.fromStartingContent;
    UniqueFile written;
    FileInfo info;
    const bool done = ReplaceFileContent(state.path, content, replacing ? &snapshot.info : nullptr, written, info);
    snapshot.Clear();
    if (written) {
        snapshot.state = Load::Present;
        snapshot.info = info;
        if (kSnapshotHoldsFile) {
            snapshot.file = std::move(written);
        }
        snapshot.document.emplace(std::move(content), SettingsFile::kSection);
    }
    state.snapshotHeld = state.held == LockMode::Exclusive && snapshot.state == Load::Present;
    return done;
}

} // namespace zelto
