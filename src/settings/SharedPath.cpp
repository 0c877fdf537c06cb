#include "settings/SharedPath.h"

#include "settings/SettingsFile.h"

#include <map>

namespace zelto {
namespace {

namespace fs = std::filesystem;

// Never destroyed, so a SettingsFile living in a static outlasts nothing it needs.
std::mutex& RegistryMutex() {
    static auto* mutex = new std::mutex;
    return *mutex;
}

std::map<fs::path, std::weak_ptr<SharedPath>>& Registry() {
    static auto* registry = new std::map<fs::path, std::weak_ptr<SharedPath>>;
    return *registry;
}

bool TakeFileLock(SharedPath& state, Held mode, bool create) {
    if (state.held == Held::Exclusive || state.held == mode) {
        return true;
    }
    if (state.folder.Lock(mode == Held::Exclusive ? LockMode::Exclusive : LockMode::Shared, create) !=
        LockTake::Taken) {
        return false;
    }
    state.held = mode;
    state.snapshotHeld = false;
    state.pinned = false;
    return true;
}

bool Unchanged(const Snapshot& snapshot, Load seen, const FileVersion& version) {
    if (seen != snapshot.state || seen == Load::Failed) {
        return false;
    }
    return seen == Load::Missing || version == snapshot.version;
}

// Refresh, always looking at the file.
Load RefreshBySeeing(SharedPath& state) {
    Snapshot& snapshot = state.snapshot;
    FileVersion version;
    Load seen = state.folder.Look(version);
    if (Unchanged(snapshot, seen, version)) {
        return seen;
    }
    // Without a lock file no writer has been here that could be half-way through a change.
    if (state.held == Held::None && TakeFileLock(state, Held::Shared, false)) {
        seen = state.folder.Look(version);
        if (Unchanged(snapshot, seen, version)) {
            return seen;
        }
    }
    snapshot.Clear();
    if (seen != Load::Present) {
        snapshot.state = seen;
        return seen;
    }
    std::string content;
    const Load read = state.folder.Read(content, version, snapshot.file);
    if (read != Load::Present) {
        snapshot.state = read;
        return read;
    }
    snapshot.state = Load::Present;
    snapshot.version = version;
    snapshot.document.emplace(std::move(content), SettingsFile::kSection);
    return Load::Present;
}

} // namespace

// Spellings of the folder meet in one state; the file's own name is not resolved here, since a link there
// is the file layer's to judge.
std::shared_ptr<SharedPath> SharedPathFor(const fs::path& path) {
    std::error_code error;
    const fs::path absolute = fs::absolute(path, error).lexically_normal();
    fs::path key = fs::weakly_canonical(absolute.parent_path(), error) / absolute.filename();
    if (error) {
        key = absolute;
    }
    const std::lock_guard lock(RegistryMutex());
    auto& registry = Registry();
    std::erase_if(registry, [](const auto& entry) { return entry.second.expired(); });
    auto& slot = registry[key];
    auto state = slot.lock();
    if (!state) {
        state = std::make_shared<SharedPath>(key);
        slot = state;
    }
    return state;
}

bool Enter(SharedPath& state, Access access) {
    state.mutex.lock();
    ++state.depth;
    if (access == Access::Write) {
        return TakeFileLock(state, Held::Exclusive, true);
    }
    // No file lock: the snapshot every read of the run comes from was read whole (under the shared lock when
    // it had changed), and the mutex keeps this process's writers out until the run ends.
    if (access == Access::Hold && state.depth == 1) {
        state.holding = true;
    }
    return true;
}

void Leave(SharedPath& state) {
    if (--state.depth == 0) {
        if (state.held != Held::None) {
            state.folder.Unlock();
            state.held = Held::None;
            state.snapshotHeld = false;
        }
        state.holding = false;
        state.pinned = false;
    }
    state.mutex.unlock();
}

Load RefreshForWrite(SharedPath& state) {
    if (state.held == Held::Exclusive && state.snapshotHeld) {
        return state.snapshot.state;
    }
    const Load load = RefreshBySeeing(state);
    const bool seen = load != Load::Failed && load == state.snapshot.state;
    state.snapshotHeld = state.held == Held::Exclusive && seen;
    state.pinned = state.holding && seen;
    return load;
}

Load Refresh(SharedPath& state) {
    return state.pinned ? state.snapshot.state : RefreshForWrite(state);
}

} // namespace zelto
