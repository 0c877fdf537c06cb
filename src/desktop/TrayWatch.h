#pragma once

#include <optional>
#include <string_view>

namespace zelto {

// What the desktop client does as the notification area comes and goes, so that it never runs on unseen:
// where nothing shows its icon it says so, once, and opens its Properties, while the updates go on.
class TrayWatch {
public:
    static constexpr std::string_view kNoTrayNotice =
        "This desktop shows no tray icons, so Zelto Premium Client shows its Properties instead and keeps "
        "your domains updated in the background. Start zelto-premium again to bring the Properties back, "
        "and end the client with their Quit button.\n\n"
        "To get the tray icon on GNOME, install and enable the AppIndicator extension "
        "(package gnome-shell-extension-appindicator); other desktops show it in their system tray or "
        "status notifier panel.";

    struct Step {
        bool sayNoTray = false;      // the notice above, once in the client's life
        bool showProperties = false; // so that there is a window
    };

    // A look at the tray host: at start-up, then again and again while the client runs.
    Step Observe(bool hostPresent) {
        const bool wasPresent = present_.value_or(true);
        present_ = hostPresent;
        if (hostPresent || !wasPresent)
            return {};
        const bool say = !said_;
        said_ = true;
        return {say, true};
    }

private:
    std::optional<bool> present_;
    bool said_ = false;
};

} // namespace zelto
