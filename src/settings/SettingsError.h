#pragma once

#include <cstdint>
#include <filesystem>
#include <system_error>

namespace zelto {

// Why the settings file could not be used. Each front-end turns it into words in one place.
enum class SettingsFault {
    None,
    LinkNotOwned,   // the file is a symbolic link that belongs to neither the effective user nor root
    NotRegularFile, // a FIFO, a device or a folder
    TooLarge,       // over kMaxSettingsFileSize: no settings file grows that big
    ReadFailed,     // could not be opened or read (reason says why)
    LockFailed,     // the lock file could not be created, opened or locked
    WriteFailed,    // the new file could not be written, synced or put in place
    MarkedReadOnly, // Windows: the file carries the read-only attribute, which the store respects
};

// A settings file of 999 domains takes about 60 KiB.
inline constexpr std::uintmax_t kMaxSettingsFileSize = 1024 * 1024;

struct SettingsError {
    SettingsFault fault = SettingsFault::None;
    std::filesystem::path file; // the settings file, its lock file or its folder
    std::error_code reason;     // the system's reason, when there is one

    explicit operator bool() const { return fault != SettingsFault::None; }
};

} // namespace zelto
