#include "desktop/TrayState.h"

namespace zelto {

TrayState::Reaction TrayState::ReactionTo(Click click) {
    switch (click) {
    case Click::RightButton:
        return Reaction::OpenMenu;
    case Click::DoubleClick:
        return Reaction::RunDefaultItem;
    case Click::Other:
        break;
    }
    return Reaction::Nothing;
}

bool TrayState::Hide() {
    if (!Shown())
        return false;
    hidden_ = true;
    return true;
}

} // namespace zelto
