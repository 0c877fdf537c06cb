#pragma once

#include <vector>

namespace zelto {

class DesktopSession;

// The commands of the tray popup menu.
enum class TrayCommand { WebInterface, Homepage, Properties, Exit };

// The tray menu's commands on their way to the session. One that comes while start-up still makes the
// session (an installer closing every client sends Exit to each one's frame, a starting one's too) is kept
// and run once the session exists.
class DesktopCommands {
public:
    void Run(TrayCommand command);
    // The session is made: the commands kept run now, in the order they came, before its start-up.
    void Attach(DesktopSession& session);

private:
    DesktopSession* session_ = nullptr;
    std::vector<TrayCommand> pending_;
};

} // namespace zelto
