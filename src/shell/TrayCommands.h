#pragma once

#include <array>
#include <string_view>

namespace zelto {

// The tray popup menu, in its order. The prompts become the items' status tips; the client has no status bar
// to show them in, so nobody sees them.
struct TrayCommand {
    int id;
    std::string_view text;
    std::string_view prompt;
};

inline constexpr int ID_WEB_INTERFACE = 32780;
inline constexpr int ID_HOMEPAGE = 32772;
inline constexpr int ID_PROPERTIES = 32773;
inline constexpr int ID_APP_EXIT_TRAY = 32781;

inline constexpr std::array<TrayCommand, 4> kTrayCommands{{
    {ID_WEB_INTERFACE, "Zelto Premium Web Interface", "Go to Zelto Web Interface!"},
    {ID_HOMEPAGE, "Zelto Homepage", "Go to Zelto Homepage!"},
    {ID_PROPERTIES, "Properties", "Properties and Settings!"},
    {ID_APP_EXIT_TRAY, "Exit", ""},
}};

} // namespace zelto
