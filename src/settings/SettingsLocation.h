#pragma once

// Where the settings file starts from on this system: SettingsLocation.cpp on POSIX,
// windows/WindowsSettingsLocation.cpp on Windows.

#include <filesystem>

namespace zelto {

// The file a settings file at path reads, and its first write starts from, while it does not exist yet:
// the original Windows client's file for the default location on Windows. Empty for none.
std::filesystem::path StartingContentFor(const std::filesystem::path& path);

} // namespace zelto
