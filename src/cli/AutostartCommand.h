#pragma once

#include "cli/ConsoleNotices.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace zelto {

class Autostart;

// --autostart on|off: writes or removes the user's autostart entry. `settings` is the --settings file when
// one other than the default was given.
int RunAutostartCommand(const std::vector<std::string>& args, const std::optional<std::filesystem::path>& settings,
                        Autostart& autostart, Console& console);

} // namespace zelto
