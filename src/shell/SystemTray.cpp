#include "shell/SystemTray.h"

#include <QAction>
#include <QCursor>
#include <QFont>
#include <QMenu>
#include <QMetaObject>

#include <cstdio>

namespace zelto::qt {

namespace {

QString Utf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString CutTooltip(const std::string& text) {
    return Utf8(TrayState::Tooltip(text));
}

// A StatusNotifierItem host draws the menu itself and activates the icon with its own single click.
TrayState::Click ClickOf(QSystemTrayIcon::ActivationReason reason, TrayKind kind) {
    const bool hostsMenu = kind == TrayKind::StatusNotifier;
    switch (reason) {
    case QSystemTrayIcon::Context:
        return hostsMenu ? TrayState::Click::Other : TrayState::Click::RightButton;
    case QSystemTrayIcon::Trigger:
        return hostsMenu ? TrayState::Click::DoubleClick : TrayState::Click::Other;
    case QSystemTrayIcon::DoubleClick:
        return TrayState::Click::DoubleClick;
    default:
        return TrayState::Click::Other;
    }
}

// For checks that drive the real tray under a private X server: the entries as the menu opens.
void LogMenu(const QMenu& menu) {
    if (!qEnvironmentVariableIsSet("ZELTO_TRAY_MENU_LOG"))
        return;
    for (const QAction* action : menu.actions())
        std::fprintf(stderr, "tray menu: %s%s\n", action->text().toLatin1().constData(),
                     action == menu.defaultAction() ? " (default)" : "");
}

} // namespace

CSystemTray::CSystemTray() = default;

CSystemTray::~CSystemTray() = default;

bool CSystemTray::Create(const std::string& tooltip, const QIcon& icon, TrayKind kind) {
    if (icon.isNull())
        return false;
    m_menu = std::make_unique<QMenu>();
    m_menu->setObjectName(QStringLiteral("trayMenu"));
    for (const TrayMenuEntry& entry : kTrayMenu) {
        QAction* action = m_menu->addAction(Utf8(entry.text));
        action->setStatusTip(Utf8(entry.prompt));
        m_actions[entry.command] = action;
    }
    QAction* byDefault = m_menu->actions().constFirst();
    QFont bold = byDefault->font();
    bold.setBold(true);
    byDefault->setFont(bold);
    m_menu->setDefaultAction(byDefault);

    m_icon = std::make_unique<QSystemTrayIcon>();
    QObject::connect(m_icon.get(), &QSystemTrayIcon::activated, m_menu.get(),
                     [this](QSystemTrayIcon::ActivationReason reason) { OnTrayNotification(reason); });
    m_kind = kind;
    // Exported over D-Bus (dbusmenu) for the host to draw; an XEmbed tray gets no context menu, since Qt
    // would open it itself on the button press, beside the one opened here.
    if (kind == TrayKind::StatusNotifier)
        m_icon->setContextMenu(m_menu.get());
    m_icon->setIcon(icon);
    return m_state.Add(tooltip, [this](const std::string& text) {
        m_icon->setToolTip(CutTooltip(text));
        m_icon->show();
        return true;
    });
}

QAction* CSystemTray::Action(TrayCommand command) const {
    const auto found = m_actions.find(command);
    return found == m_actions.end() ? nullptr : found->second;
}

bool CSystemTray::SetTooltipText(const std::string& text) {
    return m_state.SetTooltip(text, [this](const std::string& tip) {
        // The icon belongs to the GUI thread: the change is handed over to it.
        QMetaObject::invokeMethod(m_icon.get(), [this, cut = CutTooltip(tip)] { m_icon->setToolTip(cut); });
        return true;
    });
}

void CSystemTray::HideIcon() {
    m_state.Hide([this] { m_icon->hide(); });
}

bool CSystemTray::IsEnabled() const {
    return m_state.Added();
}

bool CSystemTray::IsHidden() const {
    return m_state.Hidden();
}

bool CSystemTray::OnTrayNotification(QSystemTrayIcon::ActivationReason reason) {
    if (!m_menu)
        return false;
    switch (TrayState::ReactionTo(ClickOf(reason, m_kind))) {
    case TrayState::Reaction::OpenMenu:
        ShowPopupMenu();
        break;
    case TrayState::Reaction::RunDefaultItem:
        m_menu->defaultAction()->trigger();
        break;
    case TrayState::Reaction::Nothing:
        break;
    }
    return true;
}

void CSystemTray::ShowPopupMenu() {
    LogMenu(*m_menu);
    m_menu->popup(QCursor::pos());
}

} // namespace zelto::qt
