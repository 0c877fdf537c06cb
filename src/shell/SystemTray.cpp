#include "shell/SystemTray.h"

#include "shell/MainFrm.h"
#include "shell/TrayCommands.h"

#include <QAction>
#include <QCursor>
#include <QFont>
#include <QMenu>
#include <QMetaObject>

#include <cstdio>

namespace zelto {

namespace {

QString Latin1(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QString CutTooltip(const std::string& text) {
    return Latin1(std::string_view(text).substr(0, CSystemTray::kMaxTooltip));
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

bool CSystemTray::Create(CMainFrm* target, const std::string& tooltip, const QIcon& icon) {
    if (icon.isNull())
        return false;
    m_pTarget = target;
    m_pMenu = std::make_unique<QMenu>();
    m_pMenu->setObjectName(QStringLiteral("trayMenu"));
    for (const TrayCommand& command : kTrayCommands) {
        QAction* action = m_pMenu->addAction(Latin1(command.text));
        action->setData(command.id);
        action->setStatusTip(Latin1(command.prompt));
        const int id = command.id;
        QObject::connect(action, &QAction::triggered, m_pMenu.get(), [this, id] { m_pTarget->OnCommand(id); });
    }
    QObject::connect(&m_icon, &QSystemTrayIcon::activated, m_pMenu.get(),
                     [this](QSystemTrayIcon::ActivationReason reason) { OnTrayNotification(reason); });
    m_icon.setIcon(icon);
    m_icon.setToolTip(CutTooltip(tooltip));
    m_icon.show();
    std::lock_guard lock(m_mutex);
    m_bEnabled = true;
    return true;
}

bool CSystemTray::SetTooltipText(const std::string& text) {
    std::lock_guard lock(m_mutex);
    if (!m_bEnabled || m_bHidden)
        return false;
    // The icon belongs to the GUI thread: the change is handed over to it.
    QMetaObject::invokeMethod(&m_icon, [this, tip = CutTooltip(text)] { m_icon.setToolTip(tip); });
    return true;
}

void CSystemTray::HideIcon() {
    {
        std::lock_guard lock(m_mutex);
        if (!m_bEnabled || m_bHidden)
            return;
        m_bHidden = true;
    }
    m_icon.hide();
}

bool CSystemTray::IsEnabled() const {
    std::lock_guard lock(m_mutex);
    return m_bEnabled;
}

bool CSystemTray::IsHidden() const {
    std::lock_guard lock(m_mutex);
    return m_bHidden;
}

QMenu* CSystemTray::PopupMenu() {
    if (!m_pMenu)
        return nullptr;
    const QList<QAction*> actions = m_pMenu->actions();
    QAction* byPosition = m_nDefaultItem < actions.size() ? actions.at(m_nDefaultItem) : nullptr;
    for (QAction* action : actions) {
        const bool isDefault = m_bDefaultByPos ? action == byPosition : action->data().toInt() == m_nDefaultItem;
        QFont font = action->font();
        font.setBold(isDefault);
        action->setFont(font);
        if (isDefault)
            m_pMenu->setDefaultAction(action);
    }
    return m_pMenu.get();
}

bool CSystemTray::OnTrayNotification(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
    case QSystemTrayIcon::Context:
        if (!PopupMenu())
            return false;
        ShowPopupMenu();
        return true;
    case QSystemTrayIcon::DoubleClick: {
        if (!PopupMenu() || !m_pTarget)
            return false;
        int id = m_nDefaultItem;
        if (m_bDefaultByPos) {
            const QList<QAction*> actions = m_pMenu->actions();
            if (m_nDefaultItem >= actions.size())
                return false;
            id = actions.at(m_nDefaultItem)->data().toInt();
        }
        m_pTarget->OnCommand(id);
        return true;
    }
    default:
        return true;
    }
}

void CSystemTray::ShowPopupMenu() {
    LogMenu(*m_pMenu);
    m_pMenu->popup(QCursor::pos());
}

} // namespace zelto
