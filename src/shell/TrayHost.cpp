#include "shell/TrayHost.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QSystemTrayIcon>

namespace zelto {

namespace {

const QString kWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");

bool StatusNotifierHostPresent() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    // Asked only of a running watcher: a call to a name that is not there could start one through D-Bus
    // activation, and a watcher without a host shows nothing anyway.
    if (!bus.isConnected() || !bus.interface()->isServiceRegistered(kWatcher))
        return false;
    QDBusMessage get =
        QDBusMessage::createMethodCall(kWatcher, QStringLiteral("/StatusNotifierWatcher"),
                                       QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << kWatcher << QStringLiteral("IsStatusNotifierHostRegistered");
    get.setAutoStartService(false);
    const QDBusMessage reply = bus.call(get, QDBus::Block, 1000);
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
           reply.arguments().constFirst().value<QDBusVariant>().variant().toBool();
}

} // namespace

bool TrayHostPresent(TrayKind kind) {
    return kind == TrayKind::StatusNotifier ? StatusNotifierHostPresent() : QSystemTrayIcon::isSystemTrayAvailable();
}

} // namespace zelto
