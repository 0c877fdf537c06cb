#pragma once

#include "platform/SettingsText.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace zelto {

// The tray icon's decisions, the same on every desktop. Not locked: each skin holds its own lock around
// it, since the update thread changes the tooltip while the GUI thread may hide the icon.
class TrayState {
public:
    // The icon's record (Windows 2000's, which every Windows since reads) holds 127 characters and a
    // terminator; the other desktops show the same text.
    static constexpr std::size_t kMaxTooltip = 127;
    // The tooltip as the icon shows it, in UTF-8: a longer text is cut (the address in it comes from the
    // server) to the bytes the record holds, and a domain's stored bytes are read in their code page.
    static std::string Tooltip(std::string_view text) { return ShownText(text.substr(0, kMaxTooltip)); }

    enum class Click { RightButton, DoubleClick, Other };
    enum class Reaction { OpenMenu, RunDefaultItem, Nothing };
    // The right button opens the menu, a double-click runs its default item (the first), anything else
    // (a single click, a move) does nothing.
    static Reaction ReactionTo(Click click);

    // Create's outcome: whether the icon reached the notification area.
    void SetAdded(bool added) { added_ = added; }
    bool Added() const { return added_; }
    bool Hidden() const { return hidden_; }
    // A tooltip change reaches only an icon that was added and not hidden.
    bool Shown() const { return added_ && !hidden_; }
    // True the one time the icon is to leave the notification area; it stays away for good.
    bool Hide();

private:
    bool added_ = false;
    bool hidden_ = false;
};

} // namespace zelto
