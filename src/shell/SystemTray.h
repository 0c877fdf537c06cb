#pragma once

#include <QIcon>
#include <QSystemTrayIcon>

#include <memory>
#include <mutex>
#include <string>

class QMenu;

namespace zelto {

class CMainFrm;

// The program's icon in the notification area: its tooltip, its popup menu of the tray commands, and the
// double-click that runs the menu's default item. SetTooltipText may be called from any thread; everything
// else runs on the GUI thread.
class CSystemTray {
public:
    // The tooltip holds at most this many characters; longer texts are cut.
    static constexpr std::size_t kMaxTooltip = 63;

    CSystemTray();
    ~CSystemTray();
    CSystemTray(const CSystemTray&) = delete;
    CSystemTray& operator=(const CSystemTray&) = delete;

    // Adds the icon with its tooltip; commands go to target. The icon docks whenever a tray host is (or
    // later becomes) available. False when there is no image to show; the object then stays disabled.
    bool Create(CMainFrm* target, const std::string& tooltip, const QIcon& icon);
    // Replaces the tooltip; false when the icon was never added or has been hidden.
    bool SetTooltipText(const std::string& text);
    // Takes the icon out of the notification area for good; later calls do nothing.
    void HideIcon();
    // Mouse actions on the icon: the right button opens the menu, a double-click runs the default item,
    // anything else does nothing. False (the Windows client's 0) when the menu or its default item cannot be had.
    bool OnTrayNotification(QSystemTrayIcon::ActivationReason reason);

    bool IsEnabled() const;
    bool IsHidden() const;
    const QSystemTrayIcon& Icon() const { return m_icon; }
    // The popup menu with its default item marked; nullptr before Create.
    QMenu* PopupMenu();

private:
    void ShowPopupMenu();

    mutable std::mutex m_mutex; // guards the two flags against the update thread's tooltip changes
    bool m_bEnabled = false;
    bool m_bHidden = false;
    int m_nDefaultItem = 0;
    bool m_bDefaultByPos = true;
    CMainFrm* m_pTarget = nullptr;
    QSystemTrayIcon m_icon;
    std::unique_ptr<QMenu> m_pMenu;
};

} // namespace zelto
