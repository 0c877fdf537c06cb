#include "shell/ClientApp.h"

#include "platform/SoundPlayer.h"
#include "settings/SettingsFile.h"
#include "shell/DesktopNotices.h"
#include "shell/MainFrm.h"
#include "shell/SplashWnd.h"
#include "shell/SystemTray.h"
#include "shell/TrayCommands.h"
#include "update/ClientSettings.h"
#include "update/ServiceEndpoints.h"

#include <QApplication>

#include <utility>

namespace zelto {

namespace {

QUrl ToUrl(const std::string& text) {
    return QUrl(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}

} // namespace

CClientApp::CClientApp(ShellPorts ports, ShellHooks hooks)
    : m_ports(ports), m_hooks(std::move(hooks)), m_dialogContext{ports.settings, ports.http, ports.sound,
                                                                 [this] { m_pTrayIcon->HideIcon(); },
                                                                 [this](int code) { ExitProcess(code); }} {}

CClientApp::~CClientApp() {
    StopEngine();
}

void CClientApp::InitInstance() {
    // The program lives in the tray: closing its last window must not end it.
    QApplication::setQuitOnLastWindowClosed(false);

    m_pMainWnd = std::make_unique<CMainFrm>();
    QApplication::setWindowIcon(m_pMainWnd->windowIcon());
    m_pMainWnd->SetCommandHandler(ID_WEB_INTERFACE, [this] { OnWebInterface(); });
    m_pMainWnd->SetCommandHandler(ID_HOMEPAGE, [this] { OnHomepage(); });
    m_pMainWnd->SetCommandHandler(ID_PROPERTIES, [this] { OnProperties(); });
    m_pMainWnd->SetCommandHandler(ID_APP_EXIT_TRAY, [this] { OnExit(); });

    m_hTrayIcon = QIcon(QStringLiteral(":/icons/tray-32.png"));
    m_pTrayIcon = std::make_unique<CSystemTray>();
    m_pTrayIcon->Create(m_pMainWnd.get(), kTooltip, m_hTrayIcon);

    // The splash deletes itself once shown; one that could not be shown is deleted here.
    auto* splash = new CSplashWnd(QStringLiteral(":/bitmaps/splash.png"), m_hooks.splashTime);
    if (!splash->Create())
        delete splash;

    m_pNotices = std::make_unique<DesktopNotices>(m_pTrayIcon.get());
    m_pEnginePorts =
        std::make_unique<EnginePorts>(EnginePorts{m_ports.settings, m_ports.http, m_ports.autodial, m_ports.addresses,
                                                  m_ports.clock, *m_pNotices, m_ports.sound});
    m_pUpdateThread = std::make_unique<CUpdateThread>(*m_pEnginePorts, m_hooks.timing);
    m_pRunner = std::make_unique<UpdateThreadRunner>(*m_pUpdateThread);
    m_pRunner->Start();

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
    m_pTrayIcon->HideIcon();
    m_ports.sound.PlaySoundCue("OUCH");
    ExitProcess(0);
}

void CClientApp::ExitProcess(int code) {
    if (m_nExitCode)
        return;
    m_nExitCode = code;
    StopEngine();
    QCoreApplication::exit(code);
}

void CClientApp::StopEngine() {
    // Released first: the update thread may be waiting for a box to close.
    if (m_pNotices)
        m_pNotices->ReleaseAll();
    if (m_pRunner)
        m_pRunner->Stop();
}

} // namespace zelto
