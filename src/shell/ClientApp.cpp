#include "shell/ClientApp.h"

#include "platform/SoundPlayer.h"
#include "settings/SettingsFile.h"
#include "shell/DesktopNotices.h"
#include "shell/SplashWnd.h"
#include "shell/SystemTray.h"
#include "shell/TrayCommands.h"
#include "ui/MessageBox.h"
#include "update/ClientSettings.h"
#include "update/ServiceEndpoints.h"

#include <QAction>
#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <QWidget>

#include <cstdio>

#include <utility>

namespace zelto {

namespace {

QString Latin1(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QUrl ToUrl(const std::string& text) {
    return QUrl(Latin1(text));
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
    const TrayWatch::Step tray = LookAtTray();

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

    connect(&m_trayLook, &QTimer::timeout, this, [this] {
        const TrayWatch::Step step = LookAtTray();
        if (step.sayNoTray)
            SayNoTray();
        if (step.showProperties)
            ShowProperties();
    });
    m_trayLook.start(m_hooks.trayLook);
    if (tray.sayNoTray)
        SayNoTray();
    if (!tray.showProperties && ClientSettingsView(m_ports.settings).DomainCount() != 0)
        return;
    OnProperties();
}

TrayWatch::Step CClientApp::LookAtTray() {
    if (m_trayIcon->IsEnabled())
        return m_trayWatch.Observe(m_hooks.trayHostPresent(m_trayIcon->Kind()));
    for (TrayKind kind : {TrayKind::StatusNotifier, TrayKind::XEmbed}) {
        if (!m_hooks.trayHostPresent(kind))
            continue;
        if (m_trayIcon->Create(kTooltip, QIcon(QStringLiteral(":/icons/tray-32.png")), kind)) {
            connect(m_trayIcon->Action(TrayCommand::WebInterface), &QAction::triggered, this,
                    &CClientApp::OnWebInterface);
            connect(m_trayIcon->Action(TrayCommand::Homepage), &QAction::triggered, this, &CClientApp::OnHomepage);
            connect(m_trayIcon->Action(TrayCommand::Properties), &QAction::triggered, this, &CClientApp::OnProperties);
            connect(m_trayIcon->Action(TrayCommand::Exit), &QAction::triggered, this, &CClientApp::OnExit);
        }
        return m_trayWatch.Observe(true);
    }
    return m_trayWatch.Observe(false);
}

void CClientApp::ShowProperties() {
    if (m_propertiesOpen == 0) {
        OnProperties();
        return;
    }
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->objectName() == QLatin1String("CPropertiesDlg") && window->isVisible()) {
            window->raise();
            window->activateWindow();
        }
}

void CClientApp::OnWebInterface() {
    m_hooks.openUrl(ToUrl(ServiceEndpoints(m_ports.settings).WebInterfacePage()));
}

void CClientApp::OnHomepage() {
    m_hooks.openUrl(ToUrl(ServiceEndpoints(m_ports.settings).HomePage()));
}

void CClientApp::OnProperties() {
    ++m_propertiesOpen;
    m_hooks.runProperties(m_dialogContext);
    --m_propertiesOpen;
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
    m_trayLook.stop();
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
