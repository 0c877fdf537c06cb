#include "settings/posix/UniqueFd.h"

#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

namespace zelto {

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = other.Release();
    }
    return *this;
}

UniqueFd::~UniqueFd() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

int UniqueFd::Release() {
    return std::exchange(fd_, -1);
}

FileIdentity FileIdentity::Of(const struct stat& info) {
    return {info.st_dev, info.st_ino, info.st_size, info.st_mtim, info.st_ctim};
}

bool FileIdentity::operator==(const FileIdentity& other) const {
    return device == other.device && inode == other.inode && size == other.size && mtime.tv_sec == other.mtime.tv_sec &&
           mtime.tv_nsec == other.mtime.tv_nsec && ctime.tv_sec == other.ctime.tv_sec &&
           ctime.tv_nsec == other.ctime.tv_nsec;
}

bool ReadAll(int fd, std::string& out) {
    out.clear();
    char buffer[16384];
    off_t offset = 0;
    for (;;) {
        const ssize_t got = ::pread(fd, buffer, sizeof buffer, offset);
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

namespace {

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
bool TakeOver(int fd, const struct stat* existing) {
    if (existing == nullptr) {
        return ::fchmod(fd, 0600) == 0;
    }
    if (::geteuid() == 0 && (existing->st_uid != 0 || existing->st_gid != ::getegid()) &&
        ::fchown(fd, existing->st_uid, existing->st_gid) != 0) {
        return false;
    }
    return ::fchmod(fd, existing->st_mode & 07777) == 0;
}

bool SyncFolder(const std::filesystem::path& dir) {
    const UniqueFd folder(::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return folder && ::fsync(folder.Get()) == 0;
}

} // namespace

bool ReplaceFile(const std::filesystem::path& path, std::string_view content, const struct stat* existing,
                 UniqueFd& newFile) {
    const std::filesystem::path temp = path.string() + ".tmp";
    // A writer killed half-way leaves its temporary file behind; it is ours to drop.
    if (::unlink(temp.c_str()) != 0 && errno != ENOENT) {
        return false;
    }
    UniqueFd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!fd) {
        return false;
    }
    if (!TakeOver(fd.Get(), existing) || !WriteAll(fd.Get(), content) || ::fsync(fd.Get()) != 0 ||
        ::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    newFile = std::move(fd);
    return SyncFolder(path.parent_path());
}

} // namespace zelto
