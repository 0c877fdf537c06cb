#pragma once

#include "desktop/DesktopCommands.h"

#include <array>
#include <string_view>

namespace zelto::qt {

// The menu, in its order; the first entry is the default item, run by a double-click on the icon. The
// prompts become the items' status tips; the client has no status bar to show them in, so nobody sees them.
struct TrayMenuEntry {
    TrayCommand command;
    std::string_view text;
    std::string_view prompt;
};

inline constexpr std::array<TrayMenuEntry, 4> kTrayMenu{{
    {TrayCommand::WebInterface, "Zelto Premium Web Interface", "Go to Zelto Web Interface!"},
    {TrayCommand::Homepage, "Zelto Homepage", "Go to Zelto Homepage!"},
    {TrayCommand::Properties, "Properties", "Properties and Settings!"},
    {TrayCommand::Exit, "Exit", ""},
}};

} // namespace zelto::qt
