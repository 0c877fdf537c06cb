#pragma once

#include "cli/ConsoleStream.h"
#include "platform/PlatformPorts.h"
#include "settings/SettingsHome.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zelto {

struct Console;

// What the composition root hands to the command line. Both take the agent name, the program's name, which
// every request carries.
struct FrontEndHooks {
    // The platform's adapters for the headless modes, made only for a command that talks to the service.
    std::function<std::unique_ptr<PlatformAdapters>(const std::string& agent)> assemblePlatform;
    // Starts the desktop client with the given settings file; returns the process's exit code.
    std::function<int(const std::filesystem::path& settings, const std::string& agent, int argc, char** argv)>
        runDesktop;
    // The "service" command, where the system has services to run the client as (Windows); its words, the
    // --settings file when one was given. Empty elsewhere: "service" is then an unknown command.
    std::function<int(const std::optional<std::filesystem::path>& settings, const std::vector<std::string>& args,
                      Console& console)>
        runService;
    // Appended to --help: the text of the commands only this system has.
    std::string moreHelp;
    // The system service's file, when root would otherwise configure its own by mistake.
    std::function<std::optional<std::filesystem::path>()> systemServiceSettings = &SystemServiceSettingsForRoot;
    // Where results and problems are written: standard output and error unless given.
    ConsoleStream* out = nullptr;
    ConsoleStream* err = nullptr;
};

// Runs what the command line asks for; with no command it hands over to the desktop client.
int RunCommandLine(int argc, char** argv, const FrontEndHooks& hooks);

} // namespace zelto
