#include "shell/DesktopNotices.h"

#include "platform/SettingsText.h"
#include "shell/DialogRun.h"
#include "shell/SystemTray.h"
#include "update/PrintableText.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QThread>

#include <algorithm>
#include <cstdio>

namespace zelto {

namespace {

// How the log marks each outcome after the program's name: nothing for a routine one, like a compiler otherwise.
const char* LogLabel(ExchangeOutcome outcome) {
    switch (WeightOf(outcome)) {
    case OutcomeWeight::Routine:
        return "";
    case OutcomeWeight::Warning:
        return "warning: ";
    case OutcomeWeight::Failure:
        break;
    }
    return "error: ";
}

} // namespace

DesktopNotices::DesktopNotices(CSystemTray* tray) : m_tray(tray) {}

DesktopNotices::~DesktopNotices() {
    ReleaseAll();
}

void DesktopNotices::ShowMessage(const std::string& text) {
    const QString message = QString::fromStdString(ShownText(text));
    auto waiter = std::make_shared<Waiter>();
    {
        std::lock_guard lock(m_mutex);
        if (m_released)
            return;
        m_waiters.push_back(waiter);
    }
    if (QThread::currentThread() == thread()) {
        ShowBox(waiter, message);
        return;
    }
    QMetaObject::invokeMethod(
        this, [this, waiter, message] { ShowBox(waiter, message); }, Qt::QueuedConnection);
    std::unique_lock lock(m_mutex);
    m_finished.wait(lock, [&] { return waiter->done; });
}

void DesktopNotices::ShowBox(const std::shared_ptr<Waiter>& waiter, const QString& text) {
    {
        std::lock_guard lock(m_mutex);
        if (waiter->done)
            return;
    }
    QMessageBox box(QMessageBox::Warning, QCoreApplication::applicationName(), text, QMessageBox::Ok);
    box.setObjectName(QStringLiteral("noticeBox"));
    m_openBoxes.emplace_back(&box);
    RunDialog(box);
    std::erase_if(m_openBoxes, [&](const QPointer<QMessageBox>& open) { return open == &box || open.isNull(); });
    Finish(waiter);
}

void DesktopNotices::Finish(const std::shared_ptr<Waiter>& waiter) {
    {
        std::lock_guard lock(m_mutex);
        waiter->done = true;
        std::erase(m_waiters, waiter);
    }
    m_finished.notify_all();
}

bool DesktopNotices::SetTooltipText(const std::string& text) {
    return m_tray != nullptr && m_tray->SetTooltipText(text);
}

void DesktopNotices::LogExchange(const std::string& maskedUrl, ExchangeOutcome outcome, const std::string& text) {
    if (qEnvironmentVariableIsSet("ZELTO_LOG_EXCHANGES"))
        std::fprintf(stderr, "%s: %s%s -> %s\n", QCoreApplication::applicationName().toLocal8Bit().constData(),
                     LogLabel(outcome), PrintableText(maskedUrl).c_str(),
                     PrintableText(ShortenedServerText(text)).c_str());
}

void DesktopNotices::ReleaseAll() {
    {
        std::lock_guard lock(m_mutex);
        m_released = true;
        for (const auto& waiter : m_waiters)
            waiter->done = true;
        m_waiters.clear();
    }
    m_finished.notify_all();
    for (const QPointer<QMessageBox>& box : m_openBoxes)
        if (box)
            box->reject();
}

} // namespace zelto
