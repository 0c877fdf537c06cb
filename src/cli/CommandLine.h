#pragma once

#include <filesystem>
#include <functional>

namespace zelto {

// Starts the desktop client with the given settings file; returns the process's exit code.
using DesktopLauncher = std::function<int(const std::filesystem::path& settings, int argc, char** argv)>;

// Runs what the command line asks for; with no command it hands over to the desktop client.
int RunCommandLine(int argc, char** argv, const DesktopLauncher& desktop);

} // namespace zelto
