#pragma once

// The settings store's operating-system file layer: FileOps.cpp on POSIX, windows/WindowsFileOps.cpp on
// Windows. Everything above it (SharedPath, SettingsFile) is the same on both.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace zelto {

enum class Load { Present, Missing, Failed };

// An owned open file (a descriptor, or a Windows HANDLE), closed when it goes.
class UniqueFile {
public:
    using Native = std::intptr_t;
    static constexpr Native kNone = -1;

    UniqueFile() = default;
    explicit UniqueFile(Native file) : file_(file) {}
    UniqueFile(UniqueFile&& other) noexcept : file_(other.Release()) {}
    UniqueFile& operator=(UniqueFile&& other) noexcept;
    ~UniqueFile();
    UniqueFile(const UniqueFile&) = delete;
    UniqueFile& operator=(const UniqueFile&) = delete;

    Native Get() const { return file_; }
    explicit operator bool() const { return file_ != kNone; }
    Native Release();

private:
    Native file_ = kNone;
};

// What tells one version of a file from another without reading it, and what a replacement keeps of it.
struct FileInfo {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modified = 0; // nanoseconds, or the system's own ticks
    std::int64_t changed = 0;
    std::uint32_t mode = 0; // POSIX only: permission bits, owner and group
    std::uint32_t owner = 0;
    std::uint32_t group = 0;

    bool SameVersion(const FileInfo& other) const;
};

// The line end of a file the store creates: the system's own.
extern const std::string_view kNewFileLineEnd;

// Whether the snapshot keeps the file it read open. POSIX: yes, so that no later file gets its inode number
// and passes for it. Windows: no, since a file open anywhere cannot be replaced there.
extern const bool kSnapshotHoldsFile;

// Missing when path does not exist (nor its folder), Failed when it cannot be looked at.
Load Look(const std::filesystem::path& path, FileInfo& info);

// Opens path for reading, with what it is now.
Load OpenForReading(const std::filesystem::path& path, UniqueFile& file, FileInfo& info);

// The whole content of an open file, read from its start.
bool ReadAll(const UniqueFile& file, std::string& out);

// Creates dir and its missing parents, each new one for the owner only.
bool MakeFolders(const std::filesystem::path& dir);

// Puts content in place of the file at path in one step: a flushed temporary file beside it replaces it.
// The new file keeps the mode and owner of `existing`, or is for its owner only when there was none. Needs
// the caller to hold the file's write lock, which makes the temporary name its own. newFile and newInfo
// receive the new file, still open, once it is in place; until then path is untouched.
bool ReplaceFileContent(const std::filesystem::path& path, std::string_view content, const FileInfo* existing,
                        UniqueFile& newFile, FileInfo& newInfo);

// The lock file beside the settings file, which every process locks to share it.
enum class LockMode { None, Shared, Exclusive };
// Opens (and creates, unless it cannot be written) the lock file; false when it cannot.
bool OpenLockFile(const std::filesystem::path& path, UniqueFile& lock);
// Waits for the lock; false when it cannot be taken.
bool LockFile(const UniqueFile& lock, LockMode mode);
void UnlockFile(const UniqueFile& lock);
// The open lock file is still the one at path: not deleted, nor replaced.
bool IsFileAt(const UniqueFile& file, const std::filesystem::path& path);

// Calls prepare, parent and child around every fork of the process; nothing where processes do not fork.
void WatchForks(void (*prepare)(), void (*parent)(), void (*child)());

} // namespace zelto
