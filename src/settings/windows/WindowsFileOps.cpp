// The settings store's file layer on Windows file primitives: UTF-16 paths, a flushed temporary file moved
// over the settings file, LockFileEx on the lock file, CRLF line ends for new files as the profile
// functions write them.

#include "settings/FileOps.h"

#include <windows.h>

#include <utility>

namespace zelto {

const std::string_view kNewFileLineEnd = "\r\n";
const bool kSnapshotHoldsFile = false;

namespace {

// Every open lets others read, write, replace or delete the file, as the store's POSIX files allow.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE Handle(const UniqueFile& file) {
    return reinterpret_cast<HANDLE>(file.Get());
}

UniqueFile Open(const std::filesystem::path& path, DWORD access, DWORD disposition) {
    HANDLE handle =
        ::CreateFileW(path.c_str(), access, kShareAll, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    return handle == INVALID_HANDLE_VALUE ? UniqueFile() : UniqueFile(reinterpret_cast<UniqueFile::Native>(handle));
}

bool IsMissing(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

std::int64_t Ticks(const FILETIME& time) {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(time.dwHighDateTime) << 32 | time.dwLowDateTime);
}

// Size, last write and creation: a replacement is a file created anew, a change in place a new write time.
// No file index: one that is not held open may pass to a later file, and Look must not open the file, since
// a file open anywhere cannot be replaced.
FileInfo VersionOf(std::uint32_t sizeHigh, std::uint32_t sizeLow, const FILETIME& written, const FILETIME& created) {
    FileInfo info;
    info.size = static_cast<std::uint64_t>(sizeHigh) << 32 | sizeLow;
    info.modified = Ticks(written);
    info.changed = Ticks(created);
    return info;
}

bool InfoOf(const UniqueFile& file, FileInfo& info) {
    BY_HANDLE_FILE_INFORMATION seen{};
    if (!::GetFileInformationByHandle(Handle(file), &seen))
        return false;
    info = VersionOf(seen.nFileSizeHigh, seen.nFileSizeLow, seen.ftLastWriteTime, seen.ftCreationTime);
    return true;
}

// Volume and file index: which file an open handle is.
bool IdentityOf(const UniqueFile& file, std::uint64_t& volume, std::uint64_t& index) {
    BY_HANDLE_FILE_INFORMATION seen{};
    if (!::GetFileInformationByHandle(Handle(file), &seen))
        return false;
    volume = seen.dwVolumeSerialNumber;
    index = static_cast<std::uint64_t>(seen.nFileIndexHigh) << 32 | seen.nFileIndexLow;
    return true;
}

// Another program may have the file open for a moment (a reader, a virus scanner): a few tries.
bool MoveOver(const std::filesystem::path& from, const std::filesystem::path& to) {
    for (int attempt = 0;; ++attempt) {
        if (::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
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
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(content.size(), 1u << 20));
        if (!::WriteFile(file, content.data(), chunk, &put, nullptr))
            return false;
        content.remove_prefix(put);
    }
    return true;
}

OVERLAPPED AtStart() {
    OVERLAPPED start{};
    return start;
}

} // namespace

UniqueFile& UniqueFile::operator=(UniqueFile&& other) noexcept {
    if (this != &other) {
        if (file_ != kNone)
            ::CloseHandle(reinterpret_cast<HANDLE>(file_));
        file_ = other.Release();
    }
    return *this;
}

UniqueFile::~UniqueFile() {
    if (file_ != kNone)
        ::CloseHandle(reinterpret_cast<HANDLE>(file_));
}

UniqueFile::Native UniqueFile::Release() {
    return std::exchange(file_, kNone);
}

bool FileInfo::SameVersion(const FileInfo& other) const {
    return device == other.device && inode == other.inode && size == other.size && modified == other.modified &&
           changed == other.changed;
}

Load Look(const std::filesystem::path& path, FileInfo& info) {
    WIN32_FILE_ATTRIBUTE_DATA seen{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &seen))
        return IsMissing(::GetLastError()) ? Load::Missing : Load::Failed;
    if ((seen.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return Load::Failed;
    info = VersionOf(seen.nFileSizeHigh, seen.nFileSizeLow, seen.ftLastWriteTime, seen.ftCreationTime);
    return Load::Present;
}

Load OpenForReading(const std::filesystem::path& path, UniqueFile& file, FileInfo& info) {
    UniqueFile opened = Open(path, GENERIC_READ, OPEN_EXISTING);
    if (!opened)
        return IsMissing(::GetLastError()) ? Load::Missing : Load::Failed;
    if (!InfoOf(opened, info))
        return Load::Failed;
    file = std::move(opened);
    return Load::Present;
}

bool ReadAll(const UniqueFile& file, std::string& out) {
    out.clear();
    char buffer[16384];
    std::uint64_t offset = 0;
    for (;;) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD got = 0;
        if (!::ReadFile(Handle(file), buffer, sizeof buffer, &got, &at))
            return ::GetLastError() == ERROR_HANDLE_EOF;
        if (got == 0)
            return true;
        out.append(buffer, got);
        offset += got;
    }
}

bool MakeFolders(const std::filesystem::path& dir) {
    if (dir.empty() || dir == dir.root_path())
        return true;
    const DWORD attributes = ::GetFileAttributesW(dir.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (!IsMissing(::GetLastError()) ||
        !MakeFolders(dir.parent_path() == dir ? std::filesystem::path() : dir.parent_path()))
        return false;
    return ::CreateDirectoryW(dir.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS;
}

// The new file gets the folder's permissions, as a file the profile functions create would.
bool ReplaceFileContent(const std::filesystem::path& path, std::string_view content, const FileInfo*,
                        UniqueFile& newFile, FileInfo& newInfo) {
    // A read-only file stays as it is, as with the profile functions (Wine would let a move replace it).
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
        return false;
    const std::filesystem::path temp = path.native() + L".tmp";
    // A writer killed half-way leaves its temporary file behind; it is ours to drop.
    if (!::DeleteFileW(temp.c_str()) && !IsMissing(::GetLastError()))
        return false;
    UniqueFile file = Open(temp, GENERIC_READ | GENERIC_WRITE, CREATE_NEW);
    if (!file)
        return false;
    if (!WriteAll(Handle(file), content) || !::FlushFileBuffers(Handle(file)) || !MoveOver(temp, path)) {
        file = UniqueFile();
        ::DeleteFileW(temp.c_str());
        return false;
    }
    if (InfoOf(file, newInfo))
        newFile = std::move(file);
    return true;
}

bool OpenLockFile(const std::filesystem::path& path, UniqueFile& lock) {
    lock = Open(path, GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS);
    if (!lock && ::GetLastError() == ERROR_ACCESS_DENIED)
        lock = Open(path, GENERIC_READ, OPEN_EXISTING);
    return static_cast<bool>(lock);
}

// One byte at the start, locked whole. A lock of a handle is not re-entrant: a change of mode lets go first,
// as flock does.
bool LockFile(const UniqueFile& lock, LockMode mode) {
    UnlockFile(lock);
    OVERLAPPED start = AtStart();
    const DWORD flags = mode == LockMode::Exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0;
    return ::LockFileEx(Handle(lock), flags, 0, 1, 0, &start);
}

void UnlockFile(const UniqueFile& lock) {
    OVERLAPPED start = AtStart();
    ::UnlockFileEx(Handle(lock), 0, 1, 0, &start);
}

bool IsFileAt(const UniqueFile& file, const std::filesystem::path& path) {
    const UniqueFile named = Open(path, FILE_READ_ATTRIBUTES, OPEN_EXISTING);
    std::uint64_t openVolume = 0, openIndex = 0, namedVolume = 0, namedIndex = 0;
    return named && IdentityOf(file, openVolume, openIndex) && IdentityOf(named, namedVolume, namedIndex) &&
           openVolume == namedVolume && openIndex == namedIndex;
}

// Windows processes do not fork.
void WatchForks(void (*)(), void (*)(), void (*)()) {}

} // namespace zelto
