#include "cli/UsageWords.h"

namespace zelto {

const UsageWords& PlatformUsageWords() {
    static const UsageWords words{
        "Give a command: the desktop client is zelto-premium.exe.",
        "until Ctrl+C, Ctrl+Break, the\n                   console's close, log-off or shut-down",
        "belong to you\n                   or the Administrators",
        "at sign-in",
        "the service\nwrites account problems to the Application event log as warnings and failed\n"
        "requests as errors, under the source \"Zelto Premium\" (see service install).",
        "",
    };
    return words;
}

} // namespace zelto
