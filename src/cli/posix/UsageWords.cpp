#include "cli/UsageWords.h"

namespace zelto {

const UsageWords& PlatformUsageWords() {
    static const UsageWords words{
        "With no command (or only --settings) the desktop client starts.",
        "until SIGINT or SIGTERM",
        "belong to you\n                   or root",
        "at login",
        "when they go to\nthe systemd journal they carry a priority (error, warning, info) instead.",
        "Run as root without --settings while /etc/zelto-premium/ZeltoPre.INI exists,\n"
        "a configuration command is refused: give --settings to say which file you mean.\n",
    };
    return words;
}

} // namespace zelto
