#include "shell/ClientApp.h"

#include "shell/DesktopNotices.h"
#include "shell/SplashWnd.h"
#include "shell/SystemTray.h"
#include "shell/TrayCommands.h"
#include "shell/TrayHostWatch.h"
#include "ui/MessageBox.h"

#include <QAction>
#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <QWidget>

#include <cstdio>
#include <utility>

namespace zelto::qt {

namespace {

QString Latin1(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// Beside the Properties dialog, and on standard error for a client started at sign-in.
void SayNoTray() {
    std::fprintf(stderr, "zelto-premium: %.*s\n", static_cast<int>(TrayWatch::kNoTrayNotice.size()),
                 TrayWatch::kNoTrayNotice.data());
    QMessageBox* box = MakeWarningMessage(nullptr, Latin1(TrayWatch::kNoTrayNotice)).release();
    box->setObjectName(QStringLiteral("noTrayNotice"));
    box->setIcon(QMessageBox::Information);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false); // Properties, shown beside it, must take input
    box->show();
}

} // namespace

CClientApp::CClientApp(SettingsFile& settings, const PlatformPorts& platform, ShellHooks hooks)
    : m_hooks(std::move(hooks)), m_trayIcon(std::make_unique<CSystemTray>()),
      m_notices(std::make_unique<DesktopNotices>(m_trayIcon.get())),
      m_session(settings, platform, *m_notices, *this, m_hooks.timing) {
    m_commands.Attach(m_session);
}

CClientApp::~CClientApp() = default;

void CClientApp::InitInstance() {
    // The program lives in the tray: closing its last window must not end it.
    QApplication::setQuitOnLastWindowClosed(false);
    QIcon appIcon;
    appIcon.addFile(QStringLiteral(":/icons/app-32.png"));
    appIcon.addFile(QStringLiteral(":/icons/app-16.png"));
    QApplication::setWindowIcon(appIcon);
    m_session.Start();
}

// The icon is made once a tray host is there, at start-up or later.
bool CClientApp::ShowTray(const std::string& tooltip) {
    m_tooltip = tooltip;
    m_hostWatch = std::make_unique<TrayHostWatch>();
    connect(m_hostWatch.get(), &TrayHostWatch::changed, this, &CClientApp::OnTrayHostsChanged);
    const TrayWatch::Step tray = LookAtTray();
    if (tray.sayNoTray)
        SayNoTray();
    return !tray.showProperties;
}

void CClientApp::OnTrayHostsChanged() {
    if (!m_hostWatch)
        return;
    const TrayWatch::Step step = LookAtTray();
    if (step.sayNoTray)
        SayNoTray();
    if (step.showProperties)
        ShowProperties();
}

TrayWatch::Step CClientApp::LookAtTray() {
    if (m_trayIcon->IsEnabled())
        return m_trayWatch.Observe(m_hooks.trayHostPresent(m_trayIcon->Kind()));
    for (TrayKind kind : {TrayKind::StatusNotifier, TrayKind::XEmbed}) {
        if (!m_hooks.trayHostPresent(kind))
            continue;
        if (m_trayIcon->Create(m_tooltip, QIcon(QStringLiteral(":/icons/tray-32.png")), kind)) {
            for (const TrayMenuEntry& entry : kTrayMenu)
                connect(m_trayIcon->Action(entry.command), &QAction::triggered, this,
                        [this, command = entry.command] { m_commands.Run(command); });
        }
        return m_trayWatch.Observe(true);
    }
    return m_trayWatch.Observe(false);
}

void CClientApp::ShowProperties() {
    m_session.ShowProperties();
}

void CClientApp::RaiseProperties() {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->objectName() == QLatin1String("CPropertiesDlg") && window->isVisible()) {
            window->raise();
            window->activateWindow();
        }
}

// The watch stays until the end: this may run within its signal (a look that opened Properties, then Quit).
void CClientApp::HideTray() {
    if (m_hostWatch)
        m_hostWatch->disconnect(this);
    m_trayIcon->HideIcon();
}

void CClientApp::ShowSplash(std::chrono::milliseconds time) {
    // The splash deletes itself once shown; one that could not be shown is deleted here.
    auto* splash = new CSplashWnd(QStringLiteral(":/bitmaps/splash.png"), m_hooks.splashTime.value_or(time));
    if (!splash->Create())
        delete splash;
}

void CClientApp::RunProperties(DialogContext& context) {
    m_hooks.runProperties(context);
}

void CClientApp::OpenUrl(const std::string& url) {
    m_hooks.openUrl(QUrl(Latin1(url)));
}

void CClientApp::CloseNotices() {
    m_notices->ReleaseAll();
}

// Queued to this object: a task that comes after it is gone is dropped.
void CClientApp::PostToGui(std::function<void()> task) {
    QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
}

// Every running event loop returns, the dialogs' own included.
void CClientApp::EndProcess(int code) {
    m_exitCode = code;
    QCoreApplication::exit(code);
}

} // namespace zelto::qt
