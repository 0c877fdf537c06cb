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

} // namespace zelto
