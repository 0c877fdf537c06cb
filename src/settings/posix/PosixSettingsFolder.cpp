#include "settings/SettingsFolder.h"

#include "settings/posix/PosixPlace.h"

#include <algorithm>
#include <cerrno>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace zelto {
namespace {

namespace fs = std::filesystem;

FileVersion VersionOf(const struct stat& info) {
    const auto nanoseconds = [](const timespec& time) {
        return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
    };
    return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
            static_cast<std::int64_t>(info.st_size), nanoseconds(info.st_mtim), nanoseconds(info.st_ctim)};
}

// At most one byte more than a settings file may hold, so a file growing under the reader is still refused.
bool ReadBounded(int fd, std::string& out) {
    out.clear();
    char buffer[16384];
    while (out.size() <= kMaxSettingsFileSize) {
        const ssize_t got = ::pread(fd, buffer, sizeof buffer, static_cast<off_t>(out.size()));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return got == 0;
        }
        out.append(buffer, static_cast<std::size_t>(got));
    }
    return true;
}

bool WriteAll(int fd, std::string_view content) {
    while (!content.empty()) {
        const ssize_t put = ::write(fd, content.data(), content.size());
        if (put < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        content.remove_prefix(static_cast<std::size_t>(put));
    }
    return true;
}

// Root keeps a user's file the user's, and gives a new file to the folder's owner, so that the system
// service can still write what an admin configured with sudo.
bool GiveOwner(int fd, const Place& place, bool replacing) {
    if (::geteuid() != 0) {
        return true;
    }
    struct stat owner {};
    if (!(replacing && ::fstatat(place.folder.Get(), place.name.c_str(), &owner, AT_SYMLINK_NOFOLLOW) == 0 &&
          S_ISREG(owner.st_mode)) &&
        ::fstat(place.folder.Get(), &owner) != 0) {
        return false;
    }
    return (owner.st_uid == ::geteuid() && owner.st_gid == ::getegid()) ||
           ::fchown(fd, owner.st_uid, owner.st_gid) == 0;
}

// The settings file's POSIX access list (setfacl) goes to the file replacing it, which would otherwise have
// the mode alone; the list also sets the new file's mode bits. Those not named in it lose every right, as
// the mode's other bits do on each write. Nothing to copy on a file system without lists, or from a file
// that has none or does not exist yet.
bool CopyAccessList(const Place& place, int to) {
    constexpr const char* kAccessList = "system.posix_acl_access";
    // The list as the kernel hands it over: a 4-byte version, then 8-byte entries of tag, rights and id.
    constexpr std::size_t kHeader = 4, kEntry = 8, kRights = 2;
    constexpr unsigned char kOtherTag = 0x20;
    const UniqueFd from(
        ::openat(place.folder.Get(), place.name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!from) {
        return errno == ENOENT;
    }
    const ssize_t needed = ::fgetxattr(from.Get(), kAccessList, nullptr, 0);
    std::vector<unsigned char> list(static_cast<std::size_t>(std::max<ssize_t>(needed, 0)));
    const ssize_t size = ::fgetxattr(from.Get(), kAccessList, list.data(), list.size());
    if (size < 0) {
        return errno == ENODATA || errno == ENOTSUP;
    }
    list.resize(static_cast<std::size_t>(size));
    for (std::size_t entry = kHeader; entry + kEntry <= list.size(); entry += kEntry) {
        if (list[entry] == kOtherTag && list[entry + 1] == 0) {
            list[entry + kRights] = list[entry + kRights + 1] = 0;
        }
    }
    return ::fsetxattr(to, kAccessList, list.data(), list.size(), 0) == 0;
}

} // namespace

const std::string_view SettingsFolder::kNewFileLineEnd = "\n";

HeldFile& HeldFile::operator=(HeldFile&& other) noexcept {
    if (this != &other) {
        const UniqueFd old(static_cast<int>(std::exchange(handle_, other.Release())));
    }
    return *this;
}

HeldFile::~HeldFile() {
    const UniqueFd old(static_cast<int>(handle_));
}

std::intptr_t HeldFile::Release() {
    return std::exchange(handle_, kNone);
}

struct SettingsFolder::Impl {
    explicit Impl(fs::path path) : given(std::move(path)) {}

    bool Fail(SettingsError problem) {
        error = std::move(problem);
        return false;
    }

    // The settings file's place, opened when it is not yet; Missing when its folder is.
    Load Open(bool create) {
        if (file.folder) {
            return Load::Present;
        }
        const Found found = OpenPlace(given, create, file, error);
        if (found == Found::Yes) {
            return Load::Present;
        }
        file = Place(); // a link's folder may have been opened on the way
        return found == Found::NoFolder ? Load::Missing : Load::Failed;
    }

    LockTake OpenLock(bool create);

    const fs::path given;
    Place file;
    Place lockPlace;
    UniqueFd lock;
    SettingsError error;
};

SettingsFolder::SettingsFolder(fs::path settingsPath) : impl_(std::make_unique<Impl>(std::move(settingsPath))) {}

SettingsFolder::~SettingsFolder() = default;

// A link found where the folder opened had a file was put there since: the place is looked up again, with
// the owner check, once.
Load SettingsFolder::Look(FileVersion& version) {
    Impl& s = *impl_;
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (const Load opened = s.Open(false); opened != Load::Present) {
            return opened;
        }
        struct stat info {};
        if (::fstatat(s.file.folder.Get(), s.file.name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT && errno != ENOTDIR) {
                s.Fail({SettingsFault::ReadFailed, s.file.Shown(), LastOsError()});
                return Load::Failed;
            }
            if (s.file.FolderInPlace()) {
                return Load::Missing;
            }
        } else if (!S_ISLNK(info.st_mode)) {
            if (const SettingsFault fault = UsableFault(info); fault != SettingsFault::None) {
                s.Fail({fault, s.file.Shown(), {}});
                return Load::Failed;
            }
            version = VersionOf(info);
            return Load::Present;
        }
        s.file = Place();
    }
    s.Fail({SettingsFault::ReadFailed, s.given, std::make_error_code(std::errc::too_many_symbolic_link_levels)});
    return Load::Failed;
}

Load SettingsFolder::Read(std::string& content, FileVersion& version, HeldFile& held) {
    Impl& s = *impl_;
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (const Load opened = s.Open(false); opened != Load::Present) {
            return opened;
        }
        // Non-blocking, so that a FIFO put in the file's place is refused instead of waited on.
        UniqueFd fd(::openat(s.file.folder.Get(), s.file.name.c_str(),
                             O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        if (!fd && errno == ELOOP) {
            s.file = Place();
            continue;
        }
        if (!fd) {
            if (errno == ENOENT) {
                return Load::Missing;
            }
            s.Fail({SettingsFault::ReadFailed, s.file.Shown(), LastOsError()});
            return Load::Failed;
        }
        struct stat info {};
        if (::fstat(fd.Get(), &info) != 0) {
            s.Fail({SettingsFault::ReadFailed, s.file.Shown(), LastOsError()});
            return Load::Failed;
        }
        SettingsError problem;
        if (const SettingsFault fault = UsableFault(info); fault != SettingsFault::None) {
            problem = {fault, s.file.Shown(), {}};
        } else if (!ReadBounded(fd.Get(), content)) {
            problem = {SettingsFault::ReadFailed, s.file.Shown(), LastOsError()};
        } else if (content.size() > kMaxSettingsFileSize) {
            problem = {SettingsFault::TooLarge, s.file.Shown(), {}};
        }
        if (problem) {
            s.Fail(std::move(problem));
            return Load::Failed;
        }
        version = VersionOf(info);
        held = HeldFile(fd.Release());
        return Load::Present;
    }
    s.Fail({SettingsFault::ReadFailed, s.given, std::make_error_code(std::errc::too_many_symbolic_link_levels)});
    return Load::Failed;
}

bool SettingsFolder::Replace(std::string_view content, bool durable, HeldFile& written, FileVersion& version) {
    Impl& s = *impl_;
    if (s.Open(true) != Load::Present) {
        return false;
    }
    const int folder = s.file.folder.Get();
    const std::string temp = s.file.name + ".tmp";
    const fs::path tempShown = s.file.folderPath / temp;
    const auto create = [&] {
        return UniqueFd(::openat(folder, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    };
    UniqueFd fd = create();
    // A writer killed half-way leaves its temporary file behind; it is ours to drop.
    if (!fd && errno == EEXIST && ::unlinkat(folder, temp.c_str(), 0) == 0) {
        fd = create();
    }
    if (!fd) {
        return s.Fail({SettingsFault::WriteFailed, tempShown, LastOsError()});
    }
    if (!GiveOwner(fd.Get(), s.file, true) || ::fchmod(fd.Get(), 0600) != 0 || !CopyAccessList(s.file, fd.Get()) ||
        !WriteAll(fd.Get(), content) || ::fsync(fd.Get()) != 0 ||
        ::renameat(folder, temp.c_str(), folder, s.file.name.c_str()) != 0) {
        s.Fail({SettingsFault::WriteFailed, s.file.Shown(), LastOsError()});
        ::unlinkat(folder, temp.c_str(), 0);
        return false;
    }
    // Seen after the rename, which changes the file's status time on some file systems: otherwise the next
    // look would take our own file for another's and read it again. Unseen, it reads as a version no file has.
    struct stat info {};
    ::fstat(fd.Get(), &info);
    version = VersionOf(info);
    written = HeldFile(fd.Release());
    if (durable && ::fsync(folder) != 0) {
        return s.Fail({SettingsFault::WriteFailed, s.file.folderPath, LastOsError()});
    }
    return true;
}

LockTake SettingsFolder::Impl::OpenLock(bool create) {
    switch (Open(create)) {
    case Load::Present:
        break;
    case Load::Missing:
        if (create) {
            Fail({SettingsFault::LockFailed, given.string() + ".lock",
                  std::make_error_code(std::errc::no_such_file_or_directory)});
            return LockTake::Failed;
        }
        return LockTake::NoLockFile;
    case Load::Failed:
        return LockTake::Failed;
    }
    const fs::path shown = file.Shown().string() + ".lock";
    lockPlace = {UniqueFd(::fcntl(file.folder.Get(), F_DUPFD_CLOEXEC, 0)), file.folderPath, file.name + ".lock"};
    if (!lockPlace.folder) {
        Fail({SettingsFault::LockFailed, shown, LastOsError()});
        return LockTake::Failed;
    }
    if (Follow(lockPlace, error) != Found::Yes) {
        return LockTake::Failed;
    }
    const int at = lockPlace.folder.Get();
    const char* name = lockPlace.name.c_str();
    UniqueFd fd(::openat(at, name, O_RDWR | O_NOFOLLOW | O_CLOEXEC));
    if (!fd && errno == ENOENT) {
        if (!create) {
            return LockTake::NoLockFile;
        }
        fd = UniqueFd(::openat(at, name, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (fd && !GiveOwner(fd.Get(), lockPlace, false)) {
            Fail({SettingsFault::LockFailed, lockPlace.Shown(), LastOsError()});
            return LockTake::Failed;
        }
        if (!fd && errno == EEXIST) {
            // Another writer created it a moment ago: that one is the lock to share.
            fd = UniqueFd(::openat(at, name, O_RDWR | O_NOFOLLOW | O_CLOEXEC));
        }
    } else if (!fd && (errno == EACCES || errno == EROFS)) {
        // A reader that may not write the folder (a service's settings under /etc) still shares the lock.
        fd = UniqueFd(::openat(at, name, O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    }
    struct stat info {};
    if (!fd || ::fstat(fd.Get(), &info) != 0) {
        Fail({SettingsFault::LockFailed, lockPlace.Shown(), LastOsError()});
        return LockTake::Failed;
    }
    if (!S_ISREG(info.st_mode)) {
        Fail({SettingsFault::NotRegularFile, lockPlace.Shown(), {}});
        return LockTake::Failed;
    }
    lock = std::move(fd);
    return LockTake::Taken;
}

// The lock file locked must be the one at the lock path in the settings file's folder: one deleted, or
// replaced with its folder, would leave every process locking a file of its own. A folder replaced or
// mounted over since it was opened is opened again, so that the folder at the path is the one written.
LockTake SettingsFolder::Lock(LockMode mode, bool create) {
    Impl& s = *impl_;
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (!s.lock) {
            if (const LockTake opened = s.OpenLock(create); opened != LockTake::Taken) {
                return opened;
            }
        }
        while (::flock(s.lock.Get(), mode == LockMode::Exclusive ? LOCK_EX : LOCK_SH) != 0) {
            if (errno != EINTR) {
                s.Fail({SettingsFault::LockFailed, s.lockPlace.Shown(), LastOsError()});
                return LockTake::Failed;
            }
        }
        struct stat locked {};
        struct stat named {};
        if (::fstat(s.lock.Get(), &locked) == 0 &&
            ::fstatat(s.lockPlace.folder.Get(), s.lockPlace.name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            locked.st_dev == named.st_dev && locked.st_ino == named.st_ino && s.file.FolderInPlace()) {
            return LockTake::Taken;
        }
        s.lock = UniqueFd();
        s.file = Place();
    }
    s.Fail({SettingsFault::LockFailed, s.lockPlace.Shown(),
            std::make_error_code(std::errc::resource_unavailable_try_again)});
    return LockTake::Failed;
}

void SettingsFolder::Unlock() {
    if (impl_->lock) {
        ::flock(impl_->lock.Get(), LOCK_UN);
    }
}

SettingsError SettingsFolder::Inspect() {
    Impl& s = *impl_;
    FileVersion ignored;
    if (Look(ignored) == Load::Failed) {
        return s.error;
    }
    if (!s.file.folder) {
        return {};
    }
    Place lockPlace{UniqueFd(::fcntl(s.file.folder.Get(), F_DUPFD_CLOEXEC, 0)), s.file.folderPath,
                    s.file.name + ".lock"};
    SettingsError problem;
    struct stat info {};
    if (lockPlace.folder && Follow(lockPlace, problem) == Found::Yes &&
        ::fstatat(lockPlace.folder.Get(), lockPlace.name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
        !S_ISREG(info.st_mode)) {
        problem = {SettingsFault::NotRegularFile, lockPlace.Shown(), {}};
    }
    return problem;
}

bool SettingsFolder::ReadableByOthers() {
    Impl& s = *impl_;
    struct stat info {};
    return s.Open(false) == Load::Present &&
           ::fstatat(s.file.folder.Get(), s.file.name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
           (info.st_mode & (S_IRGRP | S_IROTH)) != 0;
}

std::filesystem::path SettingsFolder::ReadSource() {
    return impl_->given;
}

std::filesystem::path SettingsFolder::ReadableOriginal() {
    return {};
}

const SettingsError& SettingsFolder::LastError() const {
    return impl_->error;
}

void SettingsFolder::ForgetError() {
    impl_->error = {};
}

} // namespace zelto
