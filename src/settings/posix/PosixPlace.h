#pragma once

#include "settings/SettingsError.h"
#include "settings/posix/UniqueFd.h"

#include <filesystem>
#include <string>

#include <sys/stat.h>

namespace zelto {

// A name in an opened folder, reached after following the links that may be followed.
struct Place {
    UniqueFd folder;
    std::filesystem::path folderPath; // for messages, and to see whether the folder was replaced
    std::string name;

    std::filesystem::path Shown() const { return folderPath / name; }
    // Whether the folder at folderPath is still the one opened.
    bool FolderInPlace() const;
};

enum class Found { Yes, NoFolder, Refused };

// Opens the folder of path (creating it and its parents for the owner only when create), then follows
// place's name while it is a link of the effective user or root. Refused, with error set, for a link of
// anyone else.
Found OpenPlace(const std::filesystem::path& path, bool create, Place& place, SettingsError& error);
// The same for a name in a folder already open.
Found Follow(Place& place, SettingsError& error);

std::error_code LastOsError();
// What is wrong with a file that is not a regular file of a settings file's size.
SettingsFault UsableFault(const struct stat& info);

} // namespace zelto
