#include "shell/ClientApp.h"

#include "platform/SoundPlayer.h"
#include "settings/SettingsFile.h"
#include "shell/DesktopNotices.h"
#include "shell/SplashWnd.h"
#include "shell/SystemTray.h"
#include "shell/TrayCommands.h"
#include "update/ClientSettings.h"
#include "update/ServiceEndpoints.h"

#include <QAction>
#include <QApplication>
#include <QIcon>

#include <utility>

namespace zelto {

namespace {

QUrl ToUrl(const std::string& text) {
    return QUrl(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}

} // namespace

CClientApp::CClientApp(ShellPorts ports, ShellHooks hooks)
    : m_ports(ports), m_hooks(std::move(hooks)), m_dialogContext{ports.settings, ports.http, ports.sound,
                                                                 [this] { m_trayIcon->HideIcon(); },
                                                                 [this](int code) { ExitProcess(code); }} {}

CClientApp::~CClientApp() {
    StopEngine();
}

void CClientApp::InitInstance() {
    // The program lives in the tray: closing its last window must not end it.
    QApplication::setQuitOnLastWindowClosed(false);

    QIcon appIcon;
    appIcon.addFile(QStringLiteral(":/icons/app-32.png"));
    appIcon.addFile(QStringLiteral(":/icons/app-16.png"));
    QApplication::setWindowIcon(appIcon);

    m_trayIcon = std::make_unique<CSystemTray>();
    if (m_trayIcon->Create(kTooltip, QIcon(QStringLiteral(":/icons/tray-32.png")))) {
        connect(m_trayIcon->Action(TrayCommand::WebInterface), &QAction::triggered, this, &CClientApp::OnWebInterface);
        connect(m_trayIcon->Action(TrayCommand::Homepage), &QAction::triggered, this, &CClientApp::OnHomepage);
        connect(m_trayIcon->Action(TrayCommand::Properties), &QAction::triggered, this, &CClientApp::OnProperties);
        connect(m_trayIcon->Action(TrayCommand::Exit), &QAction::triggered, this, &CClientApp::OnExit);
    }

    // The splash deletes itself once shown; one that could not be shown is deleted here.
    auto* splash = new CSplashWnd(QStringLiteral(":/bitmaps/splash.png"), m_hooks.splashTime);
    if (!splash->Create())
        delete splash;

    m_notices = std::make_unique<DesktopNotices>(m_trayIcon.get());
    m_enginePorts = std::make_unique<EnginePorts>(EnginePorts{
        m_ports.settings,
        PlatformPorts{m_ports.http, m_ports.autodial, m_ports.addresses, m_ports.clock, m_ports.sound}, *m_notices});
    m_updateCycle = std::make_unique<UpdateCycle>(*m_enginePorts, m_hooks.timing);
    m_cycleThread = std::make_unique<UpdateCycleThread>(*m_updateCycle);
    m_cycleThread->Start();

    if (ClientSettingsView(m_ports.settings).DomainCount() != 0)
        return;
    OnProperties();
}

void CClientApp::OnWebInterface() {
    m_hooks.openUrl(ToUrl(ServiceEndpoints(m_ports.settings).WebInterfacePage()));
}

void CClientApp::OnHomepage() {
    m_hooks.openUrl(ToUrl(ServiceEndpoints(m_ports.settings).HomePage()));
}

void CClientApp::OnProperties() {
    m_hooks.runProperties(m_dialogContext);
}

void CClientApp::OnExit() {
    m_trayIcon->HideIcon();
    m_ports.sound.PlaySoundCue("OUCH");
    ExitProcess(0);
}

void CClientApp::ExitProcess(int code) {
    if (m_exitCode)
        return;
    m_exitCode = code;
    StopEngine();
    QCoreApplication::exit(code);
}

void CClientApp::StopEngine() {
    // Released first: the update thread may be waiting for a box to close.
    if (m_notices)
        m_notices->ReleaseAll();
    if (m_cycleThread)
        m_cycleThread->Stop();
}

} // namespace zelto
