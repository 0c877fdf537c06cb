#pragma once

#include "settings/FileOps.h"
#include "settings/IniDocument.h"

#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace zelto {

// The last version of the file seen whole. Holding the file open keeps its inode number from going to a
// later file, so an unchanged identity really means an unchanged file.
struct Snapshot {
    void Clear() {
        state = Load::Failed;
        document.reset();
        file = UniqueFile();
        fromStartingContent = false;
    }

    Load state = Load::Failed; // Failed: nothing known
    UniqueFile file;
    FileInfo info;
    std::optional<IniDocument> document;
    bool fromStartingContent = false; // read from the file the settings file starts from
};

// What every SettingsFile of one path in one process shares. An open file description carries one flock,
// so objects with a description each would shut each other out, and with one shared would not exclude
// each other: they share this instead, with a mutex in front of the flock.
struct SharedPath {
    explicit SharedPath(std::filesystem::path settingsPath, unsigned forkGeneration);

    const std::filesystem::path path;
    const std::filesystem::path lockPath;
    const std::filesystem::path startingContent; // read while path does not exist; see StartingContentFor
    const unsigned generation; // a forked child makes its own; the parent's may be locked by a lost thread
    std::recursive_mutex mutex;
    int depth = 0; // reads, writes and Lock scopes the holding thread is inside
    UniqueFile lockFile;
    LockMode held = LockMode::None; // while this process holds the file lock
    Snapshot snapshot;
    // The snapshot was seen or written under the exclusive lock held now, so no other writer can have changed
    // the file since: reads until the lock goes need no stat.
    bool snapshotHeld = false;
};

// Counts the forks this process came through; a state of an older count belongs to an ancestor.
unsigned ForkGeneration();

// The state of the file at path (the same for every spelling of it) for this process.
std::shared_ptr<SharedPath> SharedPathFor(const std::filesystem::path& path);

enum class Access { Read, Write, Hold };

// Enters the path's critical section: the mutex, and for writes and Lock scopes the file lock, held alone.
// False when a write cannot get the lock, which it needs for its temporary file.
bool Enter(SharedPath& state, Access access);
void Leave(SharedPath& state);

// Brings the snapshot up to date. An unchanged file costs one stat, or none under the exclusive lock once
// the snapshot has been seen there. A changed one is read under the file
// lock, shared with other readers, so that a change another process makes under a Lock is seen whole.
Load Refresh(SharedPath& state);

// Puts content in place of the file, and makes it the snapshot. Needs the write lock (Enter with Write).
// False when the file could not be replaced, or the replacement could not be made durable.
bool Replace(SharedPath& state, std::string content);

} // namespace zelto
