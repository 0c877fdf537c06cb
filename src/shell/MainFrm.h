#pragma once

#include <QWidget>

#include <functional>
#include <map>

namespace zelto {

// The hidden main frame: never shown, it carries the application icon and routes the tray menu's commands
// to the handlers the application object registered.
class CMainFrm : public QWidget {
public:
    CMainFrm();

    void SetCommandHandler(int id, std::function<void()> handler);
    // Runs the handler for id; false when no handler is registered for it.
    bool OnCommand(int id);

private:
    std::map<int, std::function<void()>> m_commands;
};

} // namespace zelto
