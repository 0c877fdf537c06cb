#pragma once

#include "cli/CommandLine.h"
#include "cli/ConfigCommands.h"
#include "cli/ConsoleNotices.h"

#include <filesystem>
#include <optional>

namespace zelto {

// service install|uninstall|start|stop|status|run: the client as a Windows service. `settings` is the
// --settings file when one was given.
int RunServiceCommand(const std::optional<std::filesystem::path>& settings, const Arguments& args, Console& console,
                      const FrontEndHooks& hooks);

// The service's part of --help.
std::string ServiceHelpText(const std::string& program);

} // namespace zelto
