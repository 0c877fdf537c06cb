#pragma once

#include "platform/Notices.h"

#include <QObject>
#include <QPointer>

#include <atomic>
#include <vector>

class QMessageBox;

namespace zelto::qt {

class CSystemTray;

// The engine's notices on the desktop: message boxes shown by the GUI thread, and the tray icon's tooltip.
class DesktopNotices : public QObject, public Notices {
public:
    explicit DesktopNotices(CSystemTray* tray);
    ~DesktopNotices() override;

    // OK button, warning icon, the application's name as caption. The box is handed to the GUI thread and
    // the caller goes on at once: one domain's message never holds up the others. It stays until the user
    // closes it, or until ReleaseAll.
    void ShowMessage(const std::string& text) override;
    bool SetTooltipText(const std::string& text) override;
    // A line on stderr when ZELTO_LOG_EXCHANGES is set, failures marked; nothing otherwise.
    void LogExchange(const std::string& maskedUrl, ExchangeOutcome outcome, const std::string& text) override;

    // On the way out (GUI thread): closes the open boxes and shows none from now on.
    void ReleaseAll();

private:
    void ShowBox(const QString& text);

    CSystemTray* m_tray;
    std::atomic<bool> m_released{false};
    std::vector<QPointer<QMessageBox>> m_openBoxes; // GUI thread only
};

} // namespace zelto::qt
