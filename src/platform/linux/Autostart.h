#pragma once

#include "cli/ConsoleNotices.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

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

// --autostart on|off: writes or removes the user's autostart entry. `settings` is the --settings file when
// one other than the default was given.
int RunAutostartCommand(const std::vector<std::string>& args, const std::optional<std::filesystem::path>& settings,
                        Console& console);

} // namespace zelto
