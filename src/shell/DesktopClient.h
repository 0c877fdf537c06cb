#pragma once

#include <filesystem>

namespace zelto {

// The tray application: start-up, the Qt event loop, exit. Returns the process's exit code.
int RunDesktopClient(const std::filesystem::path& settings, int argc, char** argv);

} // namespace zelto
