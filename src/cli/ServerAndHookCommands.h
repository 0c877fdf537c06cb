#pragma once

#include "cli/ConfigCommands.h"

namespace zelto {

// server URL|default, website HOST|default, cafile FILE|none: the keys that point the client at a service,
// checked as a read of the file would take them. Each prints what it set.
int RunServerCommand(SettingsFile& settings, const Arguments& args, Console& console);
int RunWebsiteCommand(SettingsFile& settings, const Arguments& args, Console& console);
int RunCafileCommand(SettingsFile& settings, const Arguments& args, Console& console);
// hook set PATH|clear|show: the executable run when the registered address changes.
int RunHookCommand(SettingsFile& settings, const Arguments& args, Console& console);

} // namespace zelto
