#pragma once

#include "platform/Notices.h"

namespace zelto {

class CSystemTray;

// The engine's notices in the desktop program: message boxes on the calling thread, which they block
// alone, and the tray icon's tooltip.
class WindowsNotices : public Notices {
public:
    explicit WindowsNotices(CSystemTray& tray) : m_tray(tray) {}

    void ShowMessage(const std::string& text) override;
    // Each tooltip shown also goes to the debugger's output, as every exchange does.
    bool SetTooltipText(const std::string& text) override;
    // For a debugger's output window; the program keeps no log.
    void LogExchange(const std::string& maskedUrl, ExchangeOutcome outcome, const std::string& text) override;

private:
    CSystemTray& m_tray;
};

} // namespace zelto
