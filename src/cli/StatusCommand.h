#pragma once

#include "cli/ConfigCommands.h"

namespace zelto {

struct StatusReport;

// status: the settings file's path and what it holds, without any password; status --json: the same facts
// as one JSON object.
int RunStatusCommand(const SettingsFile& settings, const Arguments& args, Console& console);

// "http://dynamic.zelto.com/", with whose certificates vouch for an https server.
std::string UpdateServerLine(const StatusReport& report);

// The report as the JSON object of status --json, keys in snake_case; every text valid UTF-8.
std::string StatusJson(const StatusReport& report);

} // namespace zelto
