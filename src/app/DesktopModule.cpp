#include "app/DesktopModule.h"

#include "app/LinuxPlatform.h"
#include "platform/linux/AlsaSoundPlayer.h"
#include "shell/DesktopClient.h"
#include "shell/SoundCues.h"

#include <cstdio>
#include <exception>
#include <memory>

extern "C" __attribute__((visibility("default"))) int
zelto_run_desktop_client(const char* settingsPath, const char* agent, int argc, char** argv) {
    // No exception may cross into the loader, which is built without knowing the module's types and may carry
    // a C++ runtime of its own (linked statically).
    try {
        zelto::LinuxPlatform platform(agent, std::make_unique<zelto::AlsaSoundPlayer>(&zelto::qt::ReadSoundCue));
        return zelto::qt::RunDesktopClient(settingsPath, platform.Ports(), argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "zelto-premium: the desktop client failed: %s\n", error.what());
        return 1;
    } catch (...) {
        std::fprintf(stderr, "zelto-premium: the desktop client failed\n");
        return 1;
    }
}
