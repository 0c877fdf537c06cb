#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include <sys/stat.h>

namespace zelto {

// An owned file descriptor, closed when it goes.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.Release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    ~UniqueFd();
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int Get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    int Release();

private:
    int fd_ = -1;
};

// What tells one version of a file from another without reading it.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec mtime{};
    timespec ctime{};

    static FileIdentity Of(const struct stat& info);
    bool operator==(const FileIdentity& other) const;
};

// The whole content of the file behind fd, read from its start.
bool ReadAll(int fd, std::string& out);

// Creates dir and its missing parents, each new one for the owner only.
bool MakeFolders(const std::filesystem::path& dir);

// Puts content in place of the file at path in one step: a synced temporary file beside it is renamed over
// it and the folder is synced. The new file gets the mode and owner of `existing`, or mode 0600 when there
// was no file. Needs the caller to hold the file's write lock, which makes the temporary name its own.
// newFile receives the new file, still open, once it is in place; until then path is untouched.
bool ReplaceFile(const std::filesystem::path& path, std::string_view content, const struct stat* existing,
                 UniqueFd& newFile);

} // namespace zelto
