#pragma once

#include <filesystem>
#include <optional>

namespace zelto {

// Where the settings live unless --settings says otherwise: $XDG_CONFIG_HOME/zelto-premium/ZeltoPre.INI (or
// ~/.config/...) on Linux, %APPDATA%\Zelto Premium\ZeltoPre.INI on Windows.
std::filesystem::path DefaultSettingsPath();

// The system service's settings file, when this process runs as root and that file exists: a configuration
// command meant for the service would otherwise change root's own file. Never on Windows, whose service
// has no file of its own.
std::optional<std::filesystem::path> SystemServiceSettingsForRoot();

// The user's own folder for what the client must keep when its settings folder cannot take it:
// $XDG_STATE_HOME/zelto-premium (or ~/.local/state/...; /var/lib/zelto-premium for a system user whose home is
// "/") on Linux, %LOCALAPPDATA%\Zelto Premium on Windows.
std::filesystem::path UserStateFolder();

} // namespace zelto
