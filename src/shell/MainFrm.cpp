#include "shell/MainFrm.h"

#include <QIcon>

#include <utility>

namespace zelto {

CMainFrm::CMainFrm() {
    setObjectName(QStringLiteral("CMainFrm"));
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/app-32.png"));
    icon.addFile(QStringLiteral(":/icons/app-16.png"));
    setWindowIcon(icon);
}

void CMainFrm::SetCommandHandler(int id, std::function<void()> handler) {
    m_commands[id] = std::move(handler);
}

bool CMainFrm::OnCommand(int id) {
    const auto found = m_commands.find(id);
    if (found == m_commands.end())
        return false;
    found->second();
    return true;
}

} // namespace zelto
