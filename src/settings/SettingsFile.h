#pragma once

#include "settings/SettingsError.h"

#include <filesystem>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>

namespace zelto {

struct SharedPath;

// The one settings file: section "Zelto Systems Premium" of "ZeltoPre.INI", read and written key by key.
// Every read sees every earlier write, ours and other processes'; each single read or write is atomic
// across threads and processes, and a write never leaves a half-written file behind.
class SettingsFile {
public:
    static constexpr std::string_view kSection = "Zelto Systems Premium";
    static constexpr std::string_view kFileName = "ZeltoPre.INI";
    static constexpr std::size_t kMaxTextLength = 68;

    explicit SettingsFile(std::filesystem::path path);
    ~SettingsFile();
    SettingsFile(const SettingsFile&) = delete;
    SettingsFile& operator=(const SettingsFile&) = delete;

    const std::filesystem::path& Path() const;

    // What stands in the way of using the file at all (a link of another user, not a regular file, too
    // large, a lock file of that kind, a file that exists but cannot be read), found without creating or
    // changing anything. Front-ends ask before doing anything else; reads of such a file give the defaults and
    // writes fail.
    SettingsError Check() const;
    // The problem the last failing read or write of this file met, in this process.
    SettingsError LastError() const;
    // Whether others than its owner may read the file (a copy that has not been written by us yet).
    bool ReadableByOthers() const;
    // The original client's file that this one took over, still there with the passwords for others to
    // read (Windows); empty when there is none.
    std::filesystem::path ReadableOriginal() const;
    // The file reads come from: Path(), or while it does not exist, the original client's file that stands in
    // for it (Windows).
    std::filesystem::path ReadSource() const;

    // The stored integer: the leading decimal number with an optional sign; def when missing or empty.
    int ReadInt(std::string_view key, int def) const;
    // The stored text, at most 68 characters; "" when missing.
    std::string ReadText(std::string_view key) const;
    // Replaces or adds key=value, creating folder, file and section when needed; the file is left readable
    // by its owner only. False when the file could not be written (the old file is then left as it was,
    // LastError says why), when the new file could not be made durable (the folder did not sync), and for a
    // key or value that would not stay on its one line: line breaks, NUL, "=" in the key, a key starting with
    // ";" or "[" or with blanks around it.
    bool WriteText(std::string_view key, std::string_view value);
    bool WriteInt(std::string_view key, int value);

    // What a power cut right after a write may do. Every write replaces the file whole or not at all; a
    // durable one has also synced the folder when it returns, so the new file is the one found after the
    // crash. A write whose loss costs nothing (state the client rebuilds, such as the update record that every
    // start empties anyway) may spare that sync: the previous version may then come back.
    enum class Persistence { Durable, MayRevert };
    // Several keys as one change, in one replacement of the file: all of them are written, or none.
    bool WriteTexts(std::initializer_list<std::pair<std::string_view, std::string_view>> entries,
                    Persistence persistence = Persistence::Durable);
    bool WriteTexts(std::span<const std::pair<std::string_view, std::string_view>> entries,
                    Persistence persistence = Persistence::Durable);

    // Holds the file for a run of reads that must come from one state of it: the first read looks at the file
    // (and reads it under the shared file lock when it changed), the others read what that one saw. Re-entrant
    // for the thread that holds it; other threads of this process wait until it is released, other processes'
    // changes show in the next run. It creates nothing and takes no file lock while the file is unchanged.
    class Lock {
    public:
        explicit Lock(const SettingsFile& file);
        ~Lock();
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

    private:
        std::shared_ptr<SharedPath> entered_;
    };

    // Holds the file for a change, from its first read to its last write, against every thread and process:
    // like a write, it creates the folder and the lock file when missing. False when the lock could not be
    // taken (LastError says why); the change must then write nothing. Re-entrant.
    class ChangeLock {
    public:
        explicit ChangeLock(SettingsFile& file);
        ~ChangeLock();
        ChangeLock(const ChangeLock&) = delete;
        ChangeLock& operator=(const ChangeLock&) = delete;

        explicit operator bool() const { return taken_; }

    private:
        std::shared_ptr<SharedPath> entered_;
        bool taken_;
    };

    // Several reads and writes as one change, whole or not at all, also across a crash: it holds the file as a
    // ChangeLock does, and its writes, which the thread's own reads see at once, replace the file together at
    // Commit, in the order first written. Without Commit, or when the lock could not be taken, nothing is
    // written. A Change inside another adds its writes to the outer one's.
    class Change {
    public:
        explicit Change(SettingsFile& file);
        ~Change();
        Change(const Change&) = delete;
        Change& operator=(const Change&) = delete;

        explicit operator bool() const { return taken_; }
        // False when the file could not be written (LastError says why); it is then left as it was.
        bool Commit();

    private:
        SettingsFile& file_;
        std::shared_ptr<SharedPath> entered_;
        bool open_;
        bool taken_;
    };

private:
    std::filesystem::path path_;
    std::shared_ptr<SharedPath> shared_;
};

// base followed by the entry number in decimal: IndexedKey("password", 3) is "password3".
std::string IndexedKey(std::string_view base, int number);

} // namespace zelto
