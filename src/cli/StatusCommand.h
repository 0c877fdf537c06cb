#pragma once

#include "cli/ConfigCommands.h"

#include <ctime>
#include <string>

namespace zelto {

struct FailureWait;
struct StatusReport;

// status: the settings file's path and what it holds, without any password; status --json: the same facts
// as one JSON object.
int RunStatusCommand(const SettingsFile& settings, const Arguments& args, Console& console);

// "http://dynamic.zelto.com/", with whose certificates vouch for an https server.
std::string UpdateServerLine(const StatusReport& report);

// The wait after failures, as status and --once inside it say it: with how to send now.
std::string FailureWaitLine(const FailureWait& wait, std::time_t now, const std::string& program);

// The report as the JSON object of status --json, keys in snake_case; every text valid UTF-8.
std::string StatusJson(const StatusReport& report);

} // namespace zelto
