#pragma once

#include "platform/InstanceLock.h"

#include <filesystem>
#include <functional>
#include <string>

namespace zelto {

// A desktop start on a settings file another client holds. The user started the program to see it: a desktop
// client there shows its Properties (handOver, true when it did); any other holder (--headless, the service)
// is told in a message box, naming the process and how to stop it, since a program started from a menu has
// no console to read. Returns the exit code: 0 once handed over, 1 otherwise.
int OnHeldSettingsFile(const std::filesystem::path& settings, const InstanceHolder& holder,
                       const std::function<bool()>& handOver, const std::function<void(const std::string&)>& tell);

} // namespace zelto
