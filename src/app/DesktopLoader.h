#pragma once

#include <filesystem>
#include <string>

namespace zelto {

// Loads the desktop module from the program's module folder and runs the tray client from it. Without a
// module of the program's version it says so and returns 2.
int LoadAndRunDesktopClient(const std::filesystem::path& settings, const std::string& agent, int argc, char** argv);

} // namespace zelto
