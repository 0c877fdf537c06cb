#pragma once

#include "cli/ConsoleNotices.h"
#include "platform/PlatformPorts.h"

namespace zelto {

class Notices;
class SettingsFile;
class StopSignal;

enum class HeadlessMode {
    Cycle,      // --headless: the update thread until SIGINT or SIGTERM
    Once,       // --once: one pass when one is due, else nothing
    OnceForced, // --once --force: the start steps and one pass
};

// Runs the update engine without a display on the platform's adapters, notices on the console.
int RunHeadless(SettingsFile& settings, HeadlessMode mode, const PlatformPorts& platform, Console& console);

// The update thread on the platform's adapters until `stop` is raised, its notices going to `notices`: what a
// service manager runs.
void RunUpdateCycleUntil(SettingsFile& settings, const PlatformPorts& platform, Notices& notices, StopSignal& stop);

// force-update: asks the service to initialise every domain and prints the outcome.
int RunForceUpdate(SettingsFile& settings, const PlatformPorts& platform, Console& console);

} // namespace zelto
