#pragma once

#include "platform/SettingsText.h"

#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

namespace zelto {

// The tray icon's decisions, the same on every desktop, and the lock around them: the update thread changes
// the tooltip while the GUI thread adds, hides or adds again the icon. The skin's toolkit calls run under the
// lock, so that none overtakes another.
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

    // The toolkit's call that adds the icon with the given tooltip or changes it; true when it did.
    using IconCall = std::function<bool(const std::string& tooltip)>;

    // Adds the icon, with the latest tooltip set or else `initial`; never once it was hidden. Again when a
    // new notification area knows no icons (its tooltip the latest). Returns whether the icon reached the
    // notification area.
    bool Add(const std::string& initial, const IconCall& add);
    // Keeps text as the latest tooltip and shows it on an icon that was added and not hidden; false when no
    // icon took it.
    bool SetTooltip(const std::string& text, const IconCall& change);
    // The latest tooltip set; empty when none was.
    std::string TooltipText() const;
    // Takes the icon out of the notification area for good: remove runs the one time an added icon goes.
    void Hide(const std::function<void()>& remove);

    bool Added() const;
    bool Hidden() const;

private:
    mutable std::mutex mutex_;
    std::string tooltip_;
    bool added_ = false;
    bool hidden_ = false;
};

} // namespace zelto
