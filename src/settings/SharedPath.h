#pragma once

#include "settings/IniDocument.h"
#include "settings/SettingsFolder.h"

#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace zelto {

// The last version of the file seen whole, held open (see HeldFile).
struct Snapshot {
    void Clear() {
        state = Load::Failed;
        document.reset();
        file = HeldFile();
    }

    Load state = Load::Failed; // Failed: nothing known
    HeldFile file;
    FileVersion version;
    std::optional<IniDocument> document;
};

enum class Held { None, Shared, Exclusive };

// What every SettingsFile of one path in one process shares. An open file description carries one flock,
// so objects with a description each would shut each other out, and with one shared would not exclude
// each other: they share this instead, with a mutex in front of the flock.
struct SharedPath {
    explicit SharedPath(const std::filesystem::path& settingsPath) : folder(settingsPath) {}

    SettingsFolder folder;
    std::recursive_mutex mutex;
    int depth = 0; // reads, writes and Lock scopes the holding thread is inside
    Held held = Held::None;
    Snapshot snapshot;
    // The snapshot was seen or written under the exclusive lock held now, so no other writer can have changed
    // the file since: reads until the lock goes need no look at the file.
    bool snapshotHeld = false;
    // Inside a run of reads (Access::Hold): once one read has brought the snapshot up to date, the others of
    // the run read that same state of the file without looking again.
    bool holding = false;
    bool pinned = false;
    // The writes of the open SettingsFile::Change scopes, not in the file yet: each key once, with its last
    // value, in the order first written. Reads of the holding thread see them first.
    int changes = 0;
    std::vector<std::pair<std::string, std::string>> staged;
    std::unordered_map<std::string, std::size_t, CaseInsensitiveHash, CaseInsensitiveEqual> stagedAt;
};

// The state of the file at path (the same for every spelling of its folder) for this process.
std::shared_ptr<SharedPath> SharedPathFor(const std::filesystem::path& path);

// Read: a read. Write: a write or a change, which creates the lock file when missing. Hold: a run of reads
// from one state of the file.
enum class Access { Read, Write, Hold };

// Enters the path's critical section: the mutex, and for Write the file lock, held alone. False when Write
// cannot get the lock.
bool Enter(SharedPath& state, Access access);
void Leave(SharedPath& state);

// Brings the snapshot up to date. An unchanged file costs one look, or none under the exclusive lock once
// the snapshot has been seen there, or inside a run of reads once one has looked. A changed one is read under
// the file lock, shared with other readers, so that a change another process makes under a lock is seen whole.
Load Refresh(SharedPath& state);
// The same, always looking: what a write compares with must be the file as it is now.
Load RefreshForWrite(SharedPath& state);

} // namespace zelto
