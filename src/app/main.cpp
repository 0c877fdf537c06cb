#include "app/DesktopLoader.h"
#include "app/LinuxPlatform.h"
#include "cli/CommandLine.h"
#include "platform/SilentSoundPlayer.h"
#include "platform/linux/CoreDumps.h"

#include <memory>

int main(int argc, char** argv) {
    zelto::DisableCoreDumps();
    zelto::FrontEndHooks hooks;
    // The headless modes have no speakers to play on.
    hooks.assemblePlatform = [](const std::string& agent) -> std::unique_ptr<zelto::PlatformAdapters> {
        return std::make_unique<zelto::LinuxPlatform>(agent, std::make_unique<zelto::SilentSoundPlayer>());
    };
    hooks.runDesktop = &zelto::LoadAndRunDesktopClient;
    return zelto::RunCommandLine(argc, argv, hooks);
}
