#pragma once

#include <QByteArray>

namespace zelto::qt {

// The two kinds of notification area a Linux desktop may offer: an XEmbed tray that docks the icon's own
// window (drawn by the client, menu at the cursor), or a StatusNotifierItem host on the session bus (KDE
// Plasma, GNOME's AppIndicator extension, most Wayland desktops), which draws the icon and its exported
// menu itself.
enum class TrayKind { XEmbed, StatusNotifier };

// Whether a host of that kind is there now. Asked without Qt's help: Qt settles on the kind of its icons
// when the first is made, so the client makes its icon only once it knows a host.
bool TrayHostPresent(TrayKind kind);

// An XEmbed tray owns the selection _NET_SYSTEM_TRAY_S<screen> of the display's default screen.
int XEmbedTrayScreen();
QByteArray XEmbedTraySelection();

} // namespace zelto::qt
