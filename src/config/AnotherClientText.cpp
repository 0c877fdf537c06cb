#include "config/AnotherClientText.h"

namespace zelto {

std::string AnotherClientText(const std::filesystem::path& settings, const InstanceHolder& holder) {
    std::string who = "another Zelto Premium client";
    if (holder.pid != 0) {
        who += " (process " + std::to_string(holder.pid);
        if (holder.kind)
            who += *holder.kind == ClientKind::Desktop ? ", the desktop client" : ", --headless";
        who += ")";
    }
    return settings.string() + " is in use by " + who + "; one client runs per settings file";
}

} // namespace zelto
