#pragma once

#include "settings/FileOps.h"
#include "settings/IniDocument.h"

#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>

#include <sys/stat.h>

namespace zelto {

// The last parsed version of the file. Holding the file open keeps its inode from being reused by a later
// file, so an unchanged identity really means an unchanged file.
struct Snapshot {
    UniqueFd file;
    struct stat info {};
    std::optional<IniDocument> document;
};

// What every SettingsFile of one path in one process shares. An open file description carries one flock,
// so objects with a description each would shut each other out, and with one shared would not exclude
// each other: they share this instead, with a mutex in front of the flock.
struct SharedPath {
    explicit SharedPath(std::filesystem::path settingsPath, unsigned forkGeneration);

    const std::filesystem::path path;
    const std::filesystem::path lockPath;
    const unsigned generation; // a forked child makes its own; the parent's may be locked by a lost thread
    std::recursive_mutex mutex;
    int depth = 0; // reads, writes and Lock scopes the holding thread is inside
    UniqueFd lockFd;
    int held = 0; // LOCK_SH or LOCK_EX while this process holds the file lock
    Snapshot snapshot;
};

// Counts the forks this process came through; a state of an older count belongs to an ancestor.
unsigned ForkGeneration();

// The state of the file at path (the same for every spelling of it) for this process.
std::shared_ptr<SharedPath> SharedPathFor(const std::filesystem::path& path);

enum class Access { Read, Write, Hold };

// Enters the path's critical section. Reads share the file lock with other processes' reads; writes and
// Lock scopes hold it alone. False when a write cannot get the lock, which it needs for its temporary file.
bool Enter(SharedPath& state, Access access);
void Leave(SharedPath& state);

enum class Load { Present, Missing, Failed };

// Brings the snapshot up to date: a stat when the file is unchanged, a read and parse when it is not.
Load Refresh(SharedPath& state);

} // namespace zelto
