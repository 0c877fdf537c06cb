#pragma once

#include "platform/Notices.h"

#include <QObject>
#include <QPointer>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

class QMessageBox;

namespace zelto {

class CSystemTray;

// The engine's notices on the desktop: message boxes shown by the GUI thread while the calling thread waits
// for the user to close them, and the tray icon's tooltip.
class DesktopNotices : public QObject, public Notices {
public:
    explicit DesktopNotices(CSystemTray* tray);
    ~DesktopNotices() override;

    // OK button, warning icon, the application's name as caption; the caller waits, the tray stays usable.
    // Returns when the user closed the box, or at once after ReleaseAll.
    void ShowMessage(const std::string& text) override;
    bool SetTooltipText(const std::string& text) override;
    // A line on stderr when ZELTO_LOG_EXCHANGES is set, failures marked; nothing otherwise.
    void LogExchange(const std::string& maskedUrl, ExchangeOutcome outcome, const std::string& text) override;

    // On the way out: closes the open boxes, releases every waiting thread and shows no box from now on.
    void ReleaseAll();

private:
    struct Waiter {
        bool done = false;
    };
    void ShowBox(const std::shared_ptr<Waiter>& waiter, const QString& text);
    void Finish(const std::shared_ptr<Waiter>& waiter);

    CSystemTray* m_tray;
    std::mutex m_mutex;
    std::condition_variable m_finished;
    bool m_released = false;
    std::vector<std::shared_ptr<Waiter>> m_waiters;
    std::vector<QPointer<QMessageBox>> m_openBoxes; // GUI thread only
};

} // namespace zelto
