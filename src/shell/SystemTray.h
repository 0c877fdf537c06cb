#pragma once

#include "desktop/TrayState.h"
#include "shell/TrayCommands.h"
#include "shell/TrayHost.h"

#include <QIcon>
#include <QSystemTrayIcon>

#include <map>
#include <memory>
#include <string>

class QAction;
class QMenu;

namespace zelto::qt {

// The program's icon in the notification area: its tooltip, its menu of the tray commands, and the
// activation that runs the menu's default item, the first. On an XEmbed tray the client opens the menu at
// the cursor on a right click and a double-click activates; a StatusNotifierItem host is given the menu over
// D-Bus and draws it, and activates with its own click. SetTooltipText may be called from any thread;
// everything else runs on the GUI thread.
class CSystemTray {
public:
    CSystemTray();
    ~CSystemTray();
    CSystemTray(const CSystemTray&) = delete;
    CSystemTray& operator=(const CSystemTray&) = delete;

    // Adds the icon with its tooltip (or the last one set before) and menu for a host of that kind, once a
    // host is known: Qt settles on the kind as the icon is made. False when there is no image to show; the
    // object then stays disabled.
    bool Create(const std::string& tooltip, const QIcon& icon, TrayKind kind);
    // The menu item that runs `command`, for the application to connect; nullptr before Create.
    QAction* Action(TrayCommand command) const;
    // Replaces the tooltip; false when the icon was never added (it takes the text when it is) or has been
    // hidden.
    bool SetTooltipText(const std::string& text);
    // Takes the icon out of the notification area for good; later calls do nothing.
    void HideIcon();
    // Mouse actions on the icon: on an XEmbed tray the right button opens the menu and a double-click runs
    // the default item; a StatusNotifierItem host's activation runs the default item and its menu is its
    // own; anything else does nothing. False (the Windows client's 0) before Create, when there is no menu.
    bool OnTrayNotification(QSystemTrayIcon::ActivationReason reason);

    bool IsEnabled() const;
    bool IsHidden() const;
    TrayKind Kind() const { return m_kind; }
    // The icon itself, once created.
    const QSystemTrayIcon& Icon() const { return *m_icon; }
    // The popup menu with its default item in bold; nullptr before Create.
    QMenu* PopupMenu() const { return m_menu.get(); }

private:
    void ShowPopupMenu();

    TrayState m_state; // locked: the update thread changes the tooltip
    TrayKind m_kind = TrayKind::XEmbed;
    std::unique_ptr<QSystemTrayIcon> m_icon;
    std::unique_ptr<QMenu> m_menu;
    std::map<TrayCommand, QAction*> m_actions; // owned by the menu
};

} // namespace zelto::qt
