#include "app/DesktopLoader.h"

#include "app/DesktopModule.h"
#include "platform/linux/ProgramModule.h"

#include <cstdio>

namespace zelto {

int LoadAndRunDesktopClient(const std::filesystem::path& settings, const std::string& agent, int argc, char** argv) {
    std::string error;
    auto* entry = FindModuleEntry<decltype(zelto_run_desktop_client)>(kDesktopModuleName, kDesktopEntryName, error);
    if (!entry) {
        std::fprintf(stderr, "zelto-premium: the desktop client is not installed (%s); use --headless or --once\n",
                     error.c_str());
        return 2;
    }
    return entry(settings.c_str(), agent.c_str(), argc, argv);
}

} // namespace zelto
