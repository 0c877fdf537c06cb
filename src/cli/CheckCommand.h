#pragma once

#include "cli/ConfigCommands.h"

#include <ctime>
#include <string>

namespace zelto {

struct StatusReport;

// A monitoring plugin's states and exit codes (Nagios, Icinga; also a container's or systemd's health check).
enum class Health { Ok = 0, Warning = 1, Critical = 2, Unknown = 3 };

struct HealthVerdict {
    Health health = Health::Unknown;
    std::string why; // "example.com registered 203.0.113.7 at 14:00"
};

// OK: registered in the current or previous clock hour of `now`, nothing paused; WARNING: the registration
// is older or missing; CRITICAL: no domain configured (or one the service refused).
HealthVerdict JudgeHealth(const StatusReport& report, std::time_t now);

// The one line a monitoring system shows: "ZELTO OK - why".
std::string HealthLine(const HealthVerdict& verdict);

// check: prints the line and returns the health as the exit code.
int RunCheckCommand(const SettingsFile& settings, const Arguments& args, Console& console);

} // namespace zelto
