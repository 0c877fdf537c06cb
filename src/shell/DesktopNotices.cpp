#include "shell/DesktopNotices.h"

#include "desktop/DesktopTexts.h"
#include "platform/SettingsText.h"
#include "shell/SystemTray.h"
#include "ui/MessageBox.h"

#include <QCoreApplication>
#include <QMessageBox>

#include <algorithm>
#include <cstdio>

namespace zelto::qt {

DesktopNotices::DesktopNotices(CSystemTray* tray) : m_tray(tray) {}

DesktopNotices::~DesktopNotices() {
    ReleaseAll();
}

void DesktopNotices::ShowMessage(const std::string& text) {
    if (m_released)
        return;
    const QString message = QString::fromStdString(ShownText(text));
    QMetaObject::invokeMethod(
        this, [this, message] { ShowBox(message); }, Qt::QueuedConnection);
}

void DesktopNotices::ShowBox(const QString& text) {
    if (m_released)
        return;
    std::erase_if(m_openBoxes, [](const QPointer<QMessageBox>& open) { return open.isNull(); });
    QMessageBox* box = MakeWarningMessage(nullptr, text).release();
    box->setObjectName(QStringLiteral("noticeBox"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    m_openBoxes.emplace_back(box);
    box->show();
}

bool DesktopNotices::SetTooltipText(const std::string& text) {
    return m_tray != nullptr && m_tray->SetTooltipText(text);
}

void DesktopNotices::LogExchange(const std::string& maskedUrl, ExchangeOutcome outcome, const std::string& text) {
    if (qEnvironmentVariableIsSet("ZELTO_LOG_EXCHANGES"))
        std::fprintf(stderr, "%s: %s\n", QCoreApplication::applicationName().toLocal8Bit().constData(),
                     ExchangeLogLine(maskedUrl, outcome, text).c_str());
}

void DesktopNotices::ReleaseAll() {
    m_released = true;
    for (const QPointer<QMessageBox>& box : m_openBoxes)
        if (box)
            box->close();
    m_openBoxes.clear();
}

} // namespace zelto::qt
