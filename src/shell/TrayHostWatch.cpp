#include "shell/TrayHostWatch.h"

#include "shell/TrayHost.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QGuiApplication>

#include <cstdlib>
#include <memory>

namespace zelto::qt {

namespace {

const QString kWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");

template <class Reply> using ReplyPointer = std::unique_ptr<Reply, decltype(&std::free)>;

xcb_atom_t Atom(xcb_connection_t* connection, const QByteArray& name) {
    const ReplyPointer<xcb_intern_atom_reply_t> atom(
        xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(name.size()), name.constData()), nullptr),
        &std::free);
    return atom ? atom->atom : XCB_NONE;
}

// Adds structure events to what this client already hears from `window`, keeping what Qt asked for.
void HearStructure(xcb_connection_t* connection, xcb_window_t window) {
    const ReplyPointer<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, window), nullptr),
        &std::free);
    if (!attributes)
        return;
    const uint32_t mask = attributes->your_event_mask | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, window, XCB_CW_EVENT_MASK, &mask);
}

} // namespace

TrayHostWatch::TrayHostWatch(QObject* parent) : QObject(parent) {
    WatchX();
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    m_watcher = new QDBusServiceWatcher(kWatcher, bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this, &TrayHostWatch::changed);
    const QString path = QStringLiteral("/StatusNotifierWatcher");
    for (const QString& name :
         {QStringLiteral("StatusNotifierHostRegistered"), QStringLiteral("StatusNotifierHostUnregistered")})
        bus.connect(kWatcher, path, kWatcher, name, this, SLOT(OnWatcherSignal()));
}

TrayHostWatch::~TrayHostWatch() {
    if (m_connection)
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

void TrayHostWatch::OnWatcherSignal() {
    emit changed();
}

void TrayHostWatch::WatchX() {
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return;
    const QByteArray selection = XEmbedTraySelection();
    xcb_screen_iterator_t screen = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int skip = XEmbedTrayScreen(); skip > 0 && screen.rem > 0; --skip)
        xcb_screen_next(&screen);
    if (screen.rem == 0)
        return;
    m_selection = Atom(connection, selection);
    m_manager = Atom(connection, "MANAGER");
    if (m_selection == XCB_NONE || m_manager == XCB_NONE)
        return;
    m_connection = connection;
    HearStructure(connection, screen.data->root);
    FollowSelectionOwner();
    QCoreApplication::instance()->installNativeEventFilter(this);
}

// The owner's window is destroyed when the tray goes, which is what the client hears of it.
void TrayHostWatch::FollowSelectionOwner() {
    const ReplyPointer<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(m_connection, xcb_get_selection_owner(m_connection, m_selection), nullptr),
        &std::free);
    m_owner = owner ? owner->owner : XCB_NONE;
    if (m_owner != XCB_NONE)
        HearStructure(m_connection, m_owner);
    xcb_flush(m_connection);
}

bool TrayHostWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    switch (event->response_type & 0x7f) {
    case XCB_CLIENT_MESSAGE: {
        const auto* client = static_cast<const xcb_client_message_event_t*>(message);
        if (client->type != m_manager || client->format != 32 || client->data.data32[1] != m_selection)
            return false;
        break;
    }
    case XCB_DESTROY_NOTIFY:
        if (m_owner == XCB_NONE || static_cast<const xcb_destroy_notify_event_t*>(message)->window != m_owner)
            return false;
        break;
    default:
        return false;
    }
    FollowSelectionOwner();
    // Looked at after this event is handled: the look itself asks the X server.
    QMetaObject::invokeMethod(this, &TrayHostWatch::changed, Qt::QueuedConnection);
    return false;
}

} // namespace zelto::qt
