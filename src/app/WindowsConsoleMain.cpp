// zelto-premium-cli.exe: the command line of the Linux client as a Windows console program.

#include "app/WindowsPlatform.h"
#include "cli/CommandLine.h"
#include "cli/OstreamConsoleStream.h"
#include "cli/Usage.h"
#include "cli/windows/WindowsServiceCommand.h"
#include "platform/SilentSoundPlayer.h"
#include "platform/windows/ConsoleOutput.h"
#include "platform/windows/RegistryAutodialSetting.h"
#include "platform/windows/WideText.h"
#include "platform/windows/WindowsSockets.h"

#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

// The arguments arrive in UTF-16, so that any path (a user named Zoë) survives; the command line takes
// UTF-8, and argv[0] becomes the program's name without ".exe", as the original named itself.
int wmain(int argc, wchar_t** argv) {
    const zelto::ConsoleOutput output;
    std::vector<std::string> words;
    words.push_back(argc > 0 ? zelto::Narrow(std::filesystem::path(argv[0]).stem().native()) : "zelto-premium-cli");
    for (int i = 1; i < argc; ++i)
        words.push_back(zelto::Narrow(argv[i]));
    std::vector<char*> narrow;
    for (std::string& word : words)
        narrow.push_back(word.data());
    narrow.push_back(nullptr);

    // Dial-up left switched off by a run killed in a request goes back at the next command, whichever it is.
    zelto::RegistryAutodialSetting().RestoreKeptCopy();

    const zelto::WindowsSockets sockets;
    if (!sockets.Started()) {
        std::cerr << zelto::WindowsSockets::kFailureMessage << '\n' << std::flush;
        return zelto::kExitRefused;
    }

    // ConsoleOutput has std::cout and std::cerr write as the console shows text.
    zelto::OstreamConsoleStream out(std::cout), err(std::cerr);
    zelto::FrontEndHooks hooks;
    hooks.out = &out;
    hooks.err = &err;
    // A console has no speakers to play on.
    hooks.assemblePlatform = [](const std::string& agent) -> std::unique_ptr<zelto::PlatformAdapters> {
        return std::make_unique<zelto::WindowsPlatform>(agent, std::make_unique<zelto::SilentSoundPlayer>());
    };
    hooks.runDesktop = [](const std::filesystem::path&, const std::string& program, int, char**) {
        std::cerr << program << ": give a command (" << program << " --help); the desktop client is zelto-premium.exe\n"
                  << std::flush;
        return zelto::kExitUsage;
    };
    hooks.runService = [&hooks](const std::optional<std::filesystem::path>& settings,
                                const std::vector<std::string>& args, zelto::Console& console) {
        return zelto::RunServiceCommand(settings, args, console, hooks);
    };
    hooks.moreHelp = zelto::ServiceHelpText(words[0]);
    return zelto::RunCommandLine(argc, narrow.data(), hooks);
}
