#pragma once

#include "settings/SettingsError.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

// The settings store's one door to the operating system. SharedPath and SettingsFile hold the logic (locking
// discipline, snapshots, the INI text); this holds every system call, one implementation per platform.

namespace zelto {

enum class Load { Present, Missing, Failed };

// What tells one version of a file from another without reading it.
struct FileVersion {
    std::uint64_t device = 0;
    std::uint64_t index = 0; // inode number, or the file index on Windows
    std::int64_t size = 0;
    std::int64_t modified = 0; // nanoseconds
    std::int64_t changed = 0;  // nanoseconds

    bool operator==(const FileVersion&) const = default;
};

// A version of the settings file kept open: while it is, its identity cannot pass to a later file, so an
// unchanged version really means an unchanged file.
class HeldFile {
public:
    HeldFile() = default;
    explicit HeldFile(std::intptr_t handle) : handle_(handle) {}
    HeldFile(HeldFile&& other) noexcept : handle_(other.Release()) {}
    HeldFile& operator=(HeldFile&& other) noexcept;
    ~HeldFile();
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

    explicit operator bool() const { return handle_ != kNone; }
    std::intptr_t Release();

private:
    static constexpr std::intptr_t kNone = -1;
    std::intptr_t handle_ = kNone; // a file descriptor, or a HANDLE on Windows
};

enum class LockMode { Shared, Exclusive };
enum class LockTake { Taken, NoLockFile, Failed };

// The folder of one settings file, opened once; the settings file, its temporary file and its lock file
// ("NAME.lock") are worked on relative to it, so nothing swapped in on the way can redirect a read or a
// write. A symbolic link as settings or lock file is followed only when it belongs to the effective user or
// root; any other is refused. Not thread-safe: SharedPath serialises its use.
class SettingsFolder {
public:
    // The line end of a file the store creates: the system's own (CRLF on Windows, as its profile functions).
    static const std::string_view kNewFileLineEnd;

    explicit SettingsFolder(std::filesystem::path settingsPath);
    ~SettingsFolder();
    SettingsFolder(const SettingsFolder&) = delete;
    SettingsFolder& operator=(const SettingsFolder&) = delete;

    // The settings file's version without reading it. Failed for a file that cannot be used (LastError).
    Load Look(FileVersion& version);
    // The whole file, read through a handle left in held.
    Load Read(std::string& content, FileVersion& version, HeldFile& held);
    // Puts content in place of the settings file in one step: a synced temporary file is renamed over it and,
    // when durable, the folder synced. The new file is the owner's only (0600) and keeps the old file's owner; a new
    // one made by root belongs to the folder's owner. Needs the exclusive lock. written holds the new file once it is
    // in place; until then the old one is untouched.
    bool Replace(std::string_view content, bool durable, HeldFile& written, FileVersion& version);

    // Waits for the lock file's lock (a shared one is turned into an exclusive one and back). create: a
    // writer makes the folder and the lock file when missing; a reader never does, and finds NoLockFile.
    LockTake Lock(LockMode mode, bool create);
    void Unlock();

    // The first thing that stands in the way of using the file, found without changing anything.
    SettingsError Inspect();
    // Whether others than the owner may read the settings file.
    bool ReadableByOthers();
    // The file reads come from: the settings file, or the original client's while it stands in for it.
    std::filesystem::path ReadSource();
    // The original client's file this one was taken over from, while it is still there for others to read;
    // empty otherwise (and where there is none to take over).
    std::filesystem::path ReadableOriginal();
    // The problem the last failing call met.
    const SettingsError& LastError() const;
    // Starts a write afresh, so that its failure is not told by an older one's reason.
    void ForgetError();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace zelto
