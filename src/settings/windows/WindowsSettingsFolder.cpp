// The settings store's file layer on Windows file primitives: UTF-16 paths, a flushed temporary file with
// the settings file's attributes and own access list moved over it with MoveFileExW, LockFileEx on the lock
// file, CRLF for new files. While the default settings file does not exist, the original client's file
// stands in for it (see WindowsSettingsLocation): reads see it, and the first write makes the new file from
// its text.

#include "settings/SettingsFolder.h"

#include "settings/windows/FileAccess.h"
#include "settings/windows/WindowsSettingsLocation.h"

#include <windows.h>

#include <algorithm>
#include <utility>

namespace zelto {
namespace {

namespace fs = std::filesystem;

// Every open lets others read, write, replace or delete the file.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// An owned HANDLE.
class Handle {
public:
    Handle() = default;
    explicit Handle(HANDLE handle) : handle_(handle) {}
    Handle(Handle&& other) noexcept : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}
    Handle& operator=(Handle&& other) noexcept {
        std::swap(handle_, other.handle_);
        return *this;
    }
    ~Handle() {
        if (handle_ != INVALID_HANDLE_VALUE)
            ::CloseHandle(handle_);
    }
    HANDLE Get() const { return handle_; }
    explicit operator bool() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// What the user may have set on the settings file besides its access list, which a replacement keeps.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

Handle Open(const fs::path& path, DWORD access, DWORD disposition, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
    return Handle(::CreateFileW(path.c_str(), access, kShareAll, nullptr, disposition, attributes, nullptr));
}

std::error_code SystemError() {
    return {static_cast<int>(::GetLastError()), std::system_category()};
}

bool IsMissing(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

std::int64_t Ticks(const FILETIME& time) {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(time.dwHighDateTime) << 32 | time.dwLowDateTime);
}

// Size, last write and creation: a replacement is a file created anew, a change in place a new write time.
// No file index: the file is not held open (a file open anywhere cannot be replaced on Windows), so an index
// could pass to a later file, and a look by name must not open the file either.
FileVersion VersionOf(DWORD sizeHigh, DWORD sizeLow, const FILETIME& written, const FILETIME& created) {
    FileVersion version;
    version.size = static_cast<std::int64_t>(static_cast<std::uint64_t>(sizeHigh) << 32 | sizeLow);
    version.modified = Ticks(written);
    version.changed = Ticks(created);
    return version;
}

bool MakeFolders(const fs::path& dir) {
    if (dir.empty() || dir == dir.root_path())
        return true;
    const DWORD attributes = ::GetFileAttributesW(dir.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (!IsMissing(::GetLastError()) || !MakeFolders(dir.parent_path() == dir ? fs::path() : dir.parent_path()))
        return false;
    return ::CreateDirectoryW(dir.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS;
}

// Another program may have the file open for a moment (a reader, a virus scanner): a few tries.
bool MoveOver(const fs::path& from, const fs::path& to, bool durable) {
    const DWORD flags = MOVEFILE_REPLACE_EXISTING | (durable ? MOVEFILE_WRITE_THROUGH : 0);
    for (int attempt = 0;; ++attempt) {
        if (::MoveFileExW(from.c_str(), to.c_str(), flags))
            return true;
        const DWORD error = ::GetLastError();
        if (attempt == 20 || (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION))
            return false;
        ::Sleep(25);
    }
}

bool WriteAll(HANDLE file, std::string_view content) {
    while (!content.empty()) {
        DWORD put = 0;
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(content.size(), 1u << 20));
        if (!::WriteFile(file, content.data(), chunk, &put, nullptr))
            return false;
        content.remove_prefix(put);
    }
    return true;
}

// At most one byte more than a settings file may hold, so that a file growing under the reader is refused.
bool ReadBounded(HANDLE file, std::string& out) {
    out.clear();
    char buffer[16384];
    while (out.size() <= kMaxSettingsFileSize) {
        DWORD got = 0;
        if (!::ReadFile(file, buffer, sizeof buffer, &got, nullptr))
            return false;
        if (got == 0)
            return true;
        out.append(buffer, got);
    }
    return true;
}

bool SameFile(HANDLE a, HANDLE b) {
    BY_HANDLE_FILE_INFORMATION first{};
    BY_HANDLE_FILE_INFORMATION second{};
    return ::GetFileInformationByHandle(a, &first) && ::GetFileInformationByHandle(b, &second) &&
           first.dwVolumeSerialNumber == second.dwVolumeSerialNumber && first.nFileIndexHigh == second.nFileIndexHigh &&
           first.nFileIndexLow == second.nFileIndexLow;
}

} // namespace

const std::string_view SettingsFolder::kNewFileLineEnd = "\r\n";

HeldFile& HeldFile::operator=(HeldFile&& other) noexcept {
    if (this != &other) {
        const Handle old(reinterpret_cast<HANDLE>(std::exchange(handle_, other.Release())));
    }
    return *this;
}

HeldFile::~HeldFile() {
    const Handle old(reinterpret_cast<HANDLE>(handle_));
}

std::intptr_t HeldFile::Release() {
    return std::exchange(handle_, kNone);
}

struct SettingsFolder::Impl {
    explicit Impl(fs::path settings)
        : path(std::move(settings)), lockPath(path.native() + L".lock"), startingContent(StartingContentFor(path)) {}

    bool Fail(SettingsError problem) {
        error = std::move(problem);
        return false;
    }

    // The file to read: the settings file, or while it does not exist the one it starts from.
    Load LookAt(FileVersion& version, const fs::path*& source) {
        source = &path;
        Load seen = LookAt(path, version);
        if (seen == Load::Missing && !startingContent.empty()) {
            source = &startingContent;
            seen = LookAt(startingContent, version);
        }
        return seen;
    }

    Load LookAt(const fs::path& file, FileVersion& version) {
        WIN32_FILE_ATTRIBUTE_DATA seen{};
        if (!::GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &seen)) {
            if (IsMissing(::GetLastError()))
                return Load::Missing;
            Fail({SettingsFault::ReadFailed, file, SystemError()});
            return Load::Failed;
        }
        if ((seen.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            Fail({SettingsFault::NotRegularFile, file, {}});
            return Load::Failed;
        }
        version = VersionOf(seen.nFileSizeHigh, seen.nFileSizeLow, seen.ftLastWriteTime, seen.ftCreationTime);
        if (static_cast<std::uintmax_t>(version.size) > kMaxSettingsFileSize) {
            Fail({SettingsFault::TooLarge, file, {}});
            return Load::Failed;
        }
        return Load::Present;
    }

    const fs::path path;
    const fs::path lockPath;
    const fs::path startingContent;
    Handle lock;
    SettingsError error;
};

SettingsFolder::SettingsFolder(fs::path settingsPath) : impl_(std::make_unique<Impl>(std::move(settingsPath))) {}

SettingsFolder::~SettingsFolder() = default;

Load SettingsFolder::Look(FileVersion& version) {
    const fs::path* source = nullptr;
    return impl_->LookAt(version, source);
}

// Read through a handle closed again at once: held stays empty.
Load SettingsFolder::Read(std::string& content, FileVersion& version, HeldFile&) {
    Impl& s = *impl_;
    const fs::path* source = nullptr;
    if (const Load seen = s.LookAt(version, source); seen != Load::Present)
        return seen;
    const Handle file = Open(*source, GENERIC_READ, OPEN_EXISTING);
    if (!file) {
        if (IsMissing(::GetLastError()))
            return Load::Missing;
        s.Fail({SettingsFault::ReadFailed, *source, SystemError()});
        return Load::Failed;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file.Get(), &info) || !ReadBounded(file.Get(), content)) {
        s.Fail({SettingsFault::ReadFailed, *source, SystemError()});
        return Load::Failed;
    }
    if (content.size() > kMaxSettingsFileSize) {
        s.Fail({SettingsFault::TooLarge, *source, {}});
        return Load::Failed;
    }
    version = VersionOf(info.nFileSizeHigh, info.nFileSizeLow, info.ftLastWriteTime, info.ftCreationTime);
    return Load::Present;
}

// A new file gets the folder's permissions, as a file the profile functions create would; a replacement
// keeps what the user set on the file it replaces (its attributes, its own access list), set on the
// temporary file before it takes the file's place, so that no moment sees the one without the other.
// written stays empty: the file is not held open.
bool SettingsFolder::Replace(std::string_view content, bool durable, HeldFile&, FileVersion& version) {
    Impl& s = *impl_;
    // A read-only file stays as it is, as with the profile functions (Wine would let a move replace it).
    const DWORD attributes = ::GetFileAttributesW(s.path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
        return s.Fail({SettingsFault::MarkedReadOnly, s.path, {}});
    if (!MakeFolders(s.path.parent_path()))
        return s.Fail({SettingsFault::WriteFailed, s.path.parent_path(), SystemError()});
    const fs::path temp = s.path.native() + L".tmp";
    // A writer killed half-way leaves its temporary file behind; it is ours to drop.
    if (!::DeleteFileW(temp.c_str()) && !IsMissing(::GetLastError()))
        return s.Fail({SettingsFault::WriteFailed, temp, SystemError()});
    const DWORD kept = attributes == INVALID_FILE_ATTRIBUTES ? 0 : attributes & kKeptAttributes;
    Handle file =
        Open(temp, GENERIC_READ | GENERIC_WRITE | WRITE_DAC, CREATE_NEW, kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL);
    if (!file)
        return s.Fail({SettingsFault::WriteFailed, temp, SystemError()});
    BY_HANDLE_FILE_INFORMATION info{};
    if (!CopyOwnAccessList(s.path, file.Get()) || !WriteAll(file.Get(), content) || !::FlushFileBuffers(file.Get()) ||
        !::GetFileInformationByHandle(file.Get(), &info) || !MoveOver(temp, s.path, durable)) {
        s.Fail({SettingsFault::WriteFailed, s.path, SystemError()});
        file = Handle();
        ::DeleteFileW(temp.c_str());
        return false;
    }
    version = VersionOf(info.nFileSizeHigh, info.nFileSizeLow, info.ftLastWriteTime, info.ftCreationTime);
    return true;
}

// One byte at the start of the lock file, locked whole. A handle's lock is not re-entrant: a change of mode
// lets go first, as flock does.
LockTake SettingsFolder::Lock(LockMode mode, bool create) {
    Impl& s = *impl_;
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (!s.lock) {
            if (create && !MakeFolders(s.path.parent_path())) {
                s.Fail({SettingsFault::LockFailed, s.lockPath, SystemError()});
                return LockTake::Failed;
            }
            s.lock = Open(s.lockPath, GENERIC_READ | GENERIC_WRITE, create ? OPEN_ALWAYS : OPEN_EXISTING);
            if (!s.lock && ::GetLastError() == ERROR_ACCESS_DENIED)
                s.lock = Open(s.lockPath, GENERIC_READ, OPEN_EXISTING);
            if (!s.lock) {
                if (!create && IsMissing(::GetLastError()))
                    return LockTake::NoLockFile;
                s.Fail({SettingsFault::LockFailed, s.lockPath, SystemError()});
                return LockTake::Failed;
            }
        }
        OVERLAPPED start{};
        ::UnlockFileEx(s.lock.Get(), 0, 1, 0, &start);
        const DWORD flags = mode == LockMode::Exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0;
        if (!::LockFileEx(s.lock.Get(), flags, 0, 1, 0, &start)) {
            s.Fail({SettingsFault::LockFailed, s.lockPath, SystemError()});
            return LockTake::Failed;
        }
        // The lock file locked must be the one at the lock path: one deleted or replaced would leave every
        // process locking a file of its own.
        const Handle named = Open(s.lockPath, FILE_READ_ATTRIBUTES, OPEN_EXISTING);
        if (named && SameFile(s.lock.Get(), named.Get()))
            return LockTake::Taken;
        s.lock = Handle();
    }
    s.Fail({SettingsFault::LockFailed, s.lockPath, std::make_error_code(std::errc::resource_unavailable_try_again)});
    return LockTake::Failed;
}

// The lock file is closed with its lock: a file open anywhere cannot be deleted or replaced on Windows, and
// no other process should find it so because this one ran.
void SettingsFolder::Unlock() {
    if (impl_->lock) {
        OVERLAPPED start{};
        ::UnlockFileEx(impl_->lock.Get(), 0, 1, 0, &start);
        impl_->lock = Handle();
    }
}

SettingsError SettingsFolder::Inspect() {
    FileVersion ignored;
    return Look(ignored) == Load::Failed ? impl_->error : SettingsError{};
}

// Who may read the file is the folder's access list's business on Windows, inherited from the user's profile.
// The file read now: the settings file, or while it does not exist the one it starts from.
bool SettingsFolder::ReadableByOthers() {
    FileVersion version;
    const fs::path* source = nullptr;
    return impl_->LookAt(version, source) == Load::Present && OthersMayRead(*source);
}

fs::path SettingsFolder::ReadSource() {
    FileVersion version;
    const fs::path* source = nullptr;
    return impl_->LookAt(version, source) == Load::Present ? *source : impl_->path;
}

fs::path SettingsFolder::ReadableOriginal() {
    const Impl& s = *impl_;
    std::error_code ignored;
    const bool takenOver = !s.startingContent.empty() && fs::exists(s.path, ignored);
    return takenOver && fs::exists(s.startingContent, ignored) && OthersMayRead(s.startingContent) ? s.startingContent
                                                                                                   : fs::path();
}

const SettingsError& SettingsFolder::LastError() const {
    return impl_->error;
}

void SettingsFolder::ForgetError() {
    impl_->error = {};
}

} // namespace zelto
