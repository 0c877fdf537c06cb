#include "desktop/DesktopCommands.h"

#include "desktop/DesktopSession.h"

namespace zelto {

void DesktopCommands::Run(TrayCommand command) {
    if (!session_) {
        pending_.push_back(command);
        return;
    }
    switch (command) {
    case TrayCommand::WebInterface:
        session_->OnWebInterface();
        break;
    case TrayCommand::Homepage:
        session_->OnHomepage();
        break;
    case TrayCommand::Properties:
        session_->OnProperties();
        break;
    case TrayCommand::Exit:
        session_->OnExit();
        break;
    }
}

void DesktopCommands::Attach(DesktopSession& session) {
    session_ = &session;
    const std::vector<TrayCommand> pending = std::move(pending_);
    pending_.clear();
    for (const TrayCommand command : pending)
        Run(command);
}

} // namespace zelto
