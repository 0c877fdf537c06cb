#pragma once

#include "cli/ConsoleNotices.h"

namespace zelto {

class SettingsFile;

enum class HeadlessMode {
    Cycle, // --headless: the update thread until SIGINT or SIGTERM
    Once,  // --once: the start steps and one pass
};

// Runs the update engine without a display: no sound, notices on the console.
int RunHeadless(SettingsFile& settings, HeadlessMode mode, Console& console);

// force-update: asks the service to initialise every domain and prints the outcome.
int RunForceUpdate(const SettingsFile& settings, Console& console);

} // namespace zelto
