#pragma once

#include <filesystem>

namespace zelto {

// Loads the desktop module (next to the executable, else in ../lib/zelto-premium/) and runs the tray
// client from it. Without the module it says so and returns 2.
int LoadAndRunDesktopClient(const std::filesystem::path& settings, int argc, char** argv);

} // namespace zelto
