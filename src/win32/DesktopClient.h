#pragma once

#include "platform/PlatformPorts.h"

#include <filesystem>

namespace zelto::win32 {

// The desktop program on the platform's adapters: start-up, the message loop, exit. Returns the process's
// exit code when the program does not start; once it runs, it ends the process itself.
int RunDesktopClient(const std::filesystem::path& settings, const PlatformPorts& platform);

} // namespace zelto::win32
