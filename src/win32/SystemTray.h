#pragma once

#include "desktop/TrayState.h"

#include <windows.h>

#include <shellapi.h>

#include <string>

namespace zelto::win32 {

// The program's icon in the notification area, with its own invisible window for the shell's
// notifications: a right click opens the tray menu at the cursor, a left double click runs its default
// item. The icon comes back when the shell's notification area is recreated (Explorer restarted).
class CSystemTray {
public:
    CSystemTray() = default;
    virtual ~CSystemTray();
    CSystemTray(const CSystemTray&) = delete;
    CSystemTray& operator=(const CSystemTray&) = delete;

    // Creates the notification window and adds the icon; commands of the menu go to commandTarget.
    // FALSE when the icon could not be added (it is added when the notification area next appears).
    BOOL Create(HWND parent, UINT callbackMessage, const std::string& tooltip, HICON icon, UINT id, HWND commandTarget);
    // Any thread. FALSE when there is no icon to change.
    BOOL SetTooltipText(const std::string& text);
    // Takes the icon out of the notification area for good.
    void HideIcon();

    HWND GetSafeHwnd() const { return m_hWnd; }
    std::string GetTooltipText();

protected:
    virtual LRESULT OnTrayNotification(WPARAM wParam, LPARAM lParam);

private:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool AddIcon(const std::string& tooltip);
    UINT DefaultCommand(HMENU popup) const;

    HWND m_hWnd = nullptr;
    HWND m_hTarget = nullptr;
    UINT m_nTaskbarCreated = 0;
    TrayState m_state; // its lock guards m_nid: the update thread changes the tooltip
    bool m_bCreated = false;
    NOTIFYICONDATAW m_nid{};
    UINT m_nDefaultItem = 0;
    BOOL m_bDefaultByPos = TRUE;
};

} // namespace zelto::win32
