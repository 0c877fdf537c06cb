#pragma once

#include "platform/PlatformPorts.h"

#include <filesystem>

namespace zelto::qt {

// The tray application on the platform's adapters: start-up, the Qt event loop, exit. Returns the process's
// exit code.
int RunDesktopClient(const std::filesystem::path& settings, const PlatformPorts& platform, int argc, char** argv);

} // namespace zelto::qt
