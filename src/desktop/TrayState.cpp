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

bool TrayState::Add(const std::string& initial, const IconCall& add) {
    std::lock_guard lock(mutex_);
    if (hidden_)
        return false;
    if (tooltip_.empty())
        tooltip_ = initial;
    added_ = add(tooltip_);
    return added_;
}

bool TrayState::SetTooltip(const std::string& text, const IconCall& change) {
    std::lock_guard lock(mutex_);
    tooltip_ = text;
    return added_ && !hidden_ && change(text);
}

std::string TrayState::TooltipText() const {
    std::lock_guard lock(mutex_);
    return tooltip_;
}

void TrayState::Hide(const std::function<void()>& remove) {
    std::lock_guard lock(mutex_);
    if (!added_ || hidden_)
        return;
    hidden_ = true;
    remove();
}

bool TrayState::Added() const {
    std::lock_guard lock(mutex_);
    return added_;
}

bool TrayState::Hidden() const {
    std::lock_guard lock(mutex_);
    return hidden_;
}

} // namespace zelto
