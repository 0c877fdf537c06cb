#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>

#include <xcb/xcb.h>

class QDBusServiceWatcher;

namespace zelto::qt {

// Tells when a tray host may have come or gone, from the events that announce it, so that an idle client
// makes no wake-up of its own: an XEmbed tray announces its selection with a MANAGER message on the root
// window and goes with its owner window; a StatusNotifierWatcher comes and goes as a name on the session bus
// and announces the hosts that register with it.
class TrayHostWatch : public QObject, private QAbstractNativeEventFilter {
    Q_OBJECT

public:
    explicit TrayHostWatch(QObject* parent = nullptr);
    ~TrayHostWatch() override;

signals:
    void changed();

private slots:
    void OnWatcherSignal();

private:
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;
    void WatchX();
    void FollowSelectionOwner();

    xcb_connection_t* m_connection = nullptr;
    xcb_atom_t m_selection = XCB_NONE;
    xcb_atom_t m_manager = XCB_NONE;
    xcb_window_t m_owner = XCB_NONE;
    QDBusServiceWatcher* m_watcher = nullptr;
};

} // namespace zelto::qt
