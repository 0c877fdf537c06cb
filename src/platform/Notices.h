#pragma once

#include <string>

namespace zelto {

// What the engine tells the user: message boxes, the tray icon's tooltip, and a line per request for
// front-ends that keep a log.
class Notices {
public:
    Notices() = default;
    virtual ~Notices() = default;
    Notices(const Notices&) = delete;
    Notices& operator=(const Notices&) = delete;

    // Shows a message; returns once the user has closed it (desktop) or at once (headless).
    virtual void ShowMessage(const std::string& text) = 0;
    // Replaces the tray icon's tooltip; false when there is no icon to change.
    virtual bool SetTooltipText(const std::string& text) = 0;
    // One request went out: its URL with the password masked, and the answer line or "no answer".
    virtual void LogExchange(const std::string& maskedUrl, const std::string& outcome) = 0;
};

} // namespace zelto
