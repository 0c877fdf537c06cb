#pragma once

#include "platform/Notices.h"

#include <windows.h>

#include <atomic>
#include <vector>

namespace zelto::win32 {

class CSystemTray;

// The engine's notices in the desktop program: message boxes shown by the GUI thread, and the tray icon's
// tooltip. Made on the GUI thread, whose message loop shows the boxes.
class WindowsNotices : public Notices {
public:
    explicit WindowsNotices(CSystemTray& tray);
    ~WindowsNotices() override;

    // The box is handed to the GUI thread and the caller goes on at once: one domain's message never holds
    // up the others. It stays until the user closes it, or until CloseAll.
    void ShowMessage(const std::string& text) override;
    // Each tooltip shown also goes to the debugger's output, as every exchange does.
    bool SetTooltipText(const std::string& text) override;
    // For a debugger's output window; the program keeps no log.
    void LogExchange(const std::string& maskedUrl, ExchangeOutcome outcome, const std::string& text) override;

    // On the way out (GUI thread): closes the open boxes and shows none from now on.
    void CloseAll();

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void ShowBox(const std::string& text);

    CSystemTray& m_tray;
    HWND m_hWnd = nullptr; // message-only: receives the boxes to show
    std::atomic<bool> m_bClosed{false};
    std::vector<HWND> m_openBoxes; // GUI thread only
};

} // namespace zelto::win32
