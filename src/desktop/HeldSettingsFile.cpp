#include "desktop/HeldSettingsFile.h"

#include "config/AnotherClientText.h"

namespace zelto {

namespace {

std::string HowToStop(const InstanceHolder& holder) {
    if (holder.kind == ClientKind::Desktop)
        return "Exit it from its icon's menu in the notification area, then start this one again.";
    const std::string pid = holder.pid != 0 ? std::to_string(holder.pid) : "PID";
#ifdef _WIN32
    return "To use the desktop client on this file, stop that one first: as administrator, zelto-premium-cli "
           "service stop when the Windows service runs it; otherwise Ctrl+C in its console window, or end process " +
           pid + " in the Task Manager.";
#else
    return "To use the desktop client on this file, stop that one first: sudo systemctl stop zelto-premium when "
           "the system service runs it, systemctl --user stop zelto-premium when your own service does; otherwise "
           "kill " +
           pid + ".";
#endif
}

} // namespace

int OnHeldSettingsFile(const std::filesystem::path& settings, const InstanceHolder& holder,
                       const std::function<bool()>& handOver, const std::function<void(const std::string&)>& tell) {
    if (holder.kind == ClientKind::Desktop && handOver())
        return 0;
    tell(AnotherClientText(settings, holder) + ".\n\n" + HowToStop(holder));
    return 1;
}

} // namespace zelto
