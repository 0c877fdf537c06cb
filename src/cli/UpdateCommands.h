#pragma once

#include "cli/ConsoleNotices.h"
#include "platform/PlatformPorts.h"

namespace zelto {

class SettingsFile;

enum class HeadlessMode {
    Cycle, // --headless: the update thread until SIGINT or SIGTERM
    Once,  // --once: the start steps and one pass
};

// Runs the update engine without a display on the platform's adapters, notices on the console.
int RunHeadless(SettingsFile& settings, HeadlessMode mode, const PlatformPorts& platform, Console& console);

// force-update: asks the service to initialise every domain and prints the outcome.
int RunForceUpdate(const SettingsFile& settings, const PlatformPorts& platform, Console& console);

} // namespace zelto
