#pragma once

#include "cli/ConfigCommands.h"

namespace zelto {

// Prints the settings file's path and what it holds, without any password.
int RunStatusCommand(const SettingsFile& settings, const Arguments& args, Console& console);

} // namespace zelto
