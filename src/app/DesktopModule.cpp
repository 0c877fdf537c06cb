#include "shell/DesktopModule.h"

#include "shell/DesktopClient.h"

#include <cstdio>
#include <exception>

extern "C" __attribute__((visibility("default"))) int zelto_run_desktop_client(const char* settingsPath, int argc,
                                                                               char** argv) {
    // No exception may cross into the loader, which is built without knowing the module's types.
    try {
        return zelto::RunDesktopClient(settingsPath, argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "zelto-premium: the desktop client failed: %s\n", error.what());
        return 1;
    }
}
