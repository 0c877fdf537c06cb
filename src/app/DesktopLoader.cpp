#include "app/DesktopLoader.h"

#include "app/DesktopModule.h"
#include "platform/linux/ProgramModule.h"

#include <cstdio>

namespace zelto {

int LoadAndRunDesktopClient(const std::filesystem::path& settings, const std::string& agent, int argc, char** argv) {
    ModuleProblem problem;
    auto* entry = FindModuleEntry<decltype(zelto_run_desktop_client)>(kDesktopModuleName, kDesktopEntryName, problem);
    if (!entry) {
        switch (problem.refusal) {
        case ModuleRefusal::NotInstalled:
            std::fputs("zelto-premium: the desktop client is not installed: install the package "
                       "zelto-premium-desktop, or use --headless or --once\n",
                       stderr);
            break;
        case ModuleRefusal::Unusable:
            std::fprintf(stderr, "zelto-premium: the desktop client cannot start (%s); use --headless or --once\n",
                         problem.detail.c_str());
            break;
        }
        return 2;
    }
    return entry(settings.c_str(), agent.c_str(), argc, argv);
}

} // namespace zelto
