#pragma once

#include "cli/ConsoleNotices.h"
#include "config/AddressMethod.h"

#include <string>
#include <vector>

namespace zelto {

class SettingsFile;

using Arguments = std::vector<std::string>;

// Each takes the words after its command and returns the exit code.
int RunDomainCommand(SettingsFile& settings, const Arguments& args, Console& console);
int RunIgnoreCommand(SettingsFile& settings, const Arguments& args, Console& console);
int RunMethodCommand(SettingsFile& settings, const Arguments& args, Console& console);

// The entries of the ignore list's display text.
std::vector<std::string> IgnoredAddresses(const SettingsFile& settings);

// "server (Detect IP from Server Side)" and so on: the word the command takes and the dialog's label.
const char* MethodDescription(AddressMethod method);

} // namespace zelto
