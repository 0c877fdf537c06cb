#pragma once

#include <filesystem>

namespace zelto {

// Where the settings live unless --settings says otherwise: $XDG_CONFIG_HOME/zelto-premium/ZeltoPre.INI (or
// ~/.config/...) on Linux, %APPDATA%\Zelto Premium\ZeltoPre.INI on Windows.
std::filesystem::path DefaultSettingsPath();

} // namespace zelto
