#pragma once

#include "platform/Autostart.h"

namespace zelto {

// Autostart through a desktop entry in $XDG_CONFIG_HOME/autostart (or ~/.config/autostart): a copy of the
// installed zelto-premium.desktop, found first in $XDG_DATA_HOME and then $XDG_DATA_DIRS, or a small entry of
// our own when none is installed, whose Exec and TryExec name the running program by its path.
class DesktopEntryAutostart : public Autostart {
public:
    std::string Place() const override;
    Outcome Enable(const std::optional<std::filesystem::path>& settings, std::string& problem) override;
    Outcome Disable(bool& removed, std::string& problem) override;
};

} // namespace zelto
