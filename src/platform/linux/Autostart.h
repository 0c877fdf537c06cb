#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace zelto {

// The file that makes the desktop start the client at login: $XDG_CONFIG_HOME/autostart/zelto-premium.desktop,
// or ~/.config/autostart/zelto-premium.desktop.
std::filesystem::path AutostartEntryPath();

// The text of the installed desktop entry: the first applications/zelto-premium.desktop found in
// $XDG_DATA_HOME and then $XDG_DATA_DIRS (their defaults when unset); nullopt when there is none.
std::optional<std::string> InstalledDesktopEntry();

// The autostart entry: the installed entry, or a small one of our own; with a settings file other than the
// default, its Exec line also passes --settings with the file's absolute path. nullopt when that path
// cannot be written on an Exec line (a control character).
std::optional<std::string> AutostartEntryText(const std::optional<std::string>& installed,
                                              const std::optional<std::filesystem::path>& settings);

// Writes the entry at path (and its folder) through a temporary file beside it; false with the reason in
// `problem` when it cannot.
bool WriteAutostartEntry(const std::filesystem::path& path, const std::string& text, std::string& problem);

} // namespace zelto
