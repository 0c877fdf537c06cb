#include "settings/FileOps.h"

#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <pthread.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zelto {

const std::string_view kNewFileLineEnd = "\n";
const bool kSnapshotHoldsFile = true;

namespace {

int Fd(const UniqueFile& file) {
    return static_cast<int>(file.Get());
}

std::int64_t Nanoseconds(const timespec& time) {
    return static_cast<std::int64_t>(time.tv_sec) * 1000000000 + time.tv_nsec;
}

FileInfo InfoOf(const struct stat& info) {
    return {static_cast<std::uint64_t>(info.st_dev),
            static_cast<std::uint64_t>(info.st_ino),
            static_cast<std::uint64_t>(info.st_size),
            Nanoseconds(info.st_mtim),
            Nanoseconds(info.st_ctim),
            static_cast<std::uint32_t>(info.st_mode),
            static_cast<std::uint32_t>(info.st_uid),
            static_cast<std::uint32_t>(info.st_gid)};
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

// Mode and owner of the file being replaced; a root process must not hand a user's file to root.
bool TakeOver(int fd, const FileInfo* existing) {
    if (existing == nullptr) {
        return ::fchmod(fd, 0600) == 0;
    }
    if (::geteuid() == 0 && (existing->owner != 0 || existing->group != ::getegid()) &&
        ::fchown(fd, existing->owner, existing->group) != 0) {
        return false;
    }
    return ::fchmod(fd, existing->mode & 07777) == 0;
}

bool SyncFolder(const std::filesystem::path& dir) {
    const UniqueFile folder(::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return folder && ::fsync(Fd(folder)) == 0;
}

} // namespace

UniqueFile& UniqueFile::operator=(UniqueFile&& other) noexcept {
    if (this != &other) {
        if (file_ != kNone) {
            ::close(static_cast<int>(file_));
        }
        file_ = other.Release();
    }
    return *this;
}

UniqueFile::~UniqueFile() {
    if (file_ != kNone) {
        ::close(static_cast<int>(file_));
    }
}

UniqueFile::Native UniqueFile::Release() {
    return std::exchange(file_, kNone);
}

bool FileInfo::SameVersion(const FileInfo& other) const {
    return device == other.device && inode == other.inode && size == other.size && modified == other.modified &&
           changed == other.changed;
}

Load Look(const std::filesystem::path& path, FileInfo& info) {
    struct stat seen {};
    if (::stat(path.c_str(), &seen) == 0) {
        info = InfoOf(seen);
        return Load::Present;
    }
    return errno == ENOENT || errno == ENOTDIR ? Load::Missing : Load::Failed;
}

Load OpenForReading(const std::filesystem::path& path, UniqueFile& file, FileInfo& info) {
    UniqueFile fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd) {
        return errno == ENOENT ? Load::Missing : Load::Failed;
    }
    struct stat seen {};
    if (::fstat(Fd(fd), &seen) != 0) {
        return Load::Failed;
    }
    info = InfoOf(seen);
    file = std::move(fd);
    return Load::Present;
}

bool ReadAll(const UniqueFile& file, std::string& out) {
    out.clear();
    char buffer[16384];
    off_t offset = 0;
    for (;;) {
        const ssize_t got = ::pread(Fd(file), buffer, sizeof buffer, offset);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (got == 0) {
            return true;
        }
        out.append(buffer, static_cast<std::size_t>(got));
        offset += got;
    }
}

bool MakeFolders(const std::filesystem::path& dir) {
    if (dir.empty()) {
        return true;
    }
    struct stat info {};
    if (::stat(dir.c_str(), &info) == 0) {
        return S_ISDIR(info.st_mode);
    }
    if (errno != ENOENT || !MakeFolders(dir.parent_path() == dir ? std::filesystem::path() : dir.parent_path())) {
        return false;
    }
    return ::mkdir(dir.c_str(), 0700) == 0 || errno == EEXIST;
}

bool ReplaceFileContent(const std::filesystem::path& path, std::string_view content, const FileInfo* existing,
                        UniqueFile& newFile, FileInfo& newInfo) {
    const std::filesystem::path temp = path.string() + ".tmp";
    // A writer killed half-way leaves its temporary file behind; it is ours to drop.
    if (::unlink(temp.c_str()) != 0 && errno != ENOENT) {
        return false;
    }
    UniqueFile fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!fd) {
        return false;
    }
    if (!TakeOver(Fd(fd), existing) || !WriteAll(Fd(fd), content) || ::fsync(Fd(fd)) != 0 ||
        ::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    struct stat seen {};
    if (::fstat(Fd(fd), &seen) == 0) {
        newInfo = InfoOf(seen);
        newFile = std::move(fd);
    }
    return SyncFolder(path.parent_path());
}

bool OpenLockFile(const std::filesystem::path& path, UniqueFile& lock) {
    UniqueFile fd(::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!fd && (errno == EACCES || errno == EROFS)) {
        fd = UniqueFile(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    }
    lock = std::move(fd);
    return static_cast<bool>(lock);
}

bool LockFile(const UniqueFile& lock, LockMode mode) {
    while (::flock(Fd(lock), mode == LockMode::Exclusive ? LOCK_EX : LOCK_SH) != 0) {
        if (errno != EINTR) {
            return false;
        }
    }
    return true;
}

void UnlockFile(const UniqueFile& lock) {
    ::flock(Fd(lock), LOCK_UN);
}

bool IsFileAt(const UniqueFile& file, const std::filesystem::path& path) {
    struct stat open {};
    struct stat named {};
    return ::fstat(Fd(file), &open) == 0 && ::stat(path.c_str(), &named) == 0 && open.st_dev == named.st_dev &&
           open.st_ino == named.st_ino;
}

void WatchForks(void (*prepare)(), void (*parent)(), void (*child)()) {
    ::pthread_atfork(prepare, parent, child);
}

} // namespace zelto
