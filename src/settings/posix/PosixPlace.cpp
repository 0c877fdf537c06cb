#include "settings/posix/PosixPlace.h"

#include <cerrno>
#include <climits>

#include <fcntl.h>
#include <unistd.h>

namespace zelto {
namespace {

namespace fs = std::filesystem;

constexpr int kMaxLinks = 8;

bool MakeFolders(const fs::path& dir) {
    struct stat info {};
    if (::stat(dir.c_str(), &info) == 0) {
        return S_ISDIR(info.st_mode);
    }
    const fs::path parent = dir.parent_path();
    if (errno != ENOENT || (parent != dir && !parent.empty() && !MakeFolders(parent))) {
        return false;
    }
    return ::mkdir(dir.c_str(), 0700) == 0 || errno == EEXIST;
}

Found OpenFolder(const fs::path& path, bool create, Place& place, SettingsError& error) {
    const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    if (create && !MakeFolders(folder)) {
        error = {SettingsFault::WriteFailed, folder, LastOsError()};
        return Found::Refused;
    }
    UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd) {
        if (errno == ENOENT || errno == ENOTDIR) {
            return Found::NoFolder;
        }
        error = {SettingsFault::ReadFailed, folder, LastOsError()};
        return Found::Refused;
    }
    place = {std::move(fd), folder, path.filename().string()};
    if (place.name.empty()) {
        error = {SettingsFault::NotRegularFile, path, {}};
        return Found::Refused;
    }
    return Found::Yes;
}

} // namespace

// The mount counts too: a bind mount shows the same folder, but may be read-only where the old one is not.
bool Place::FolderInPlace() const {
    constexpr unsigned kWanted = STATX_INO | STATX_MNT_ID;
    struct statx opened {};
    struct statx named {};
    if (::statx(folder.Get(), "", AT_EMPTY_PATH, kWanted, &opened) != 0 ||
        ::statx(AT_FDCWD, folderPath.c_str(), 0, kWanted, &named) != 0) {
        return false;
    }
    const bool mountKnown = (opened.stx_mask & named.stx_mask & STATX_MNT_ID) != 0;
    return opened.stx_dev_major == named.stx_dev_major && opened.stx_dev_minor == named.stx_dev_minor &&
           opened.stx_ino == named.stx_ino && (!mountKnown || opened.stx_mnt_id == named.stx_mnt_id);
}

std::error_code LastOsError() {
    return {errno, std::generic_category()};
}

SettingsFault UsableFault(const struct stat& info) {
    if (!S_ISREG(info.st_mode)) {
        return SettingsFault::NotRegularFile;
    }
    if (static_cast<std::uintmax_t>(info.st_size) > kMaxSettingsFileSize) {
        return SettingsFault::TooLarge;
    }
    return SettingsFault::None;
}

Found OpenPlace(const fs::path& path, bool create, Place& place, SettingsError& error) {
    const Found found = OpenFolder(path, create, place, error);
    return found == Found::Yes ? Follow(place, error) : found;
}

// The link is opened itself (O_PATH) and read through that descriptor, so the owner checked is the owner of
// the very link followed.
Found Follow(Place& place, SettingsError& error) {
    for (int hop = 0; hop <= kMaxLinks; ++hop) {
        const UniqueFd link(::openat(place.folder.Get(), place.name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
        struct stat info {};
        if (!link || ::fstat(link.Get(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            return Found::Yes;
        }
        if (info.st_uid != ::geteuid() && info.st_uid != 0) {
            error = {SettingsFault::LinkNotOwned, place.Shown(), {}};
            return Found::Refused;
        }
        std::string target(PATH_MAX, '\0');
        const ssize_t length = ::readlinkat(link.Get(), "", target.data(), target.size());
        if (length <= 0 || static_cast<std::size_t>(length) >= target.size()) {
            error = {SettingsFault::ReadFailed, place.Shown(), LastOsError()};
            return Found::Refused;
        }
        target.resize(static_cast<std::size_t>(length));
        const Found found = OpenFolder(place.folderPath / target, false, place, error);
        if (found != Found::Yes) {
            return found;
        }
    }
    error = {SettingsFault::ReadFailed, place.Shown(), std::make_error_code(std::errc::too_many_symbolic_link_levels)};
    return Found::Refused;
}

} // namespace zelto
