#include "shell/DesktopLoader.h"

#include "platform/linux/ProgramModule.h"
#include "shell/DesktopModule.h"

#include <dlfcn.h>

#include <cstdio>
#include <string>

namespace zelto {

namespace {

using DesktopEntry = int (*)(const char*, int, char**);

} // namespace

int LoadAndRunDesktopClient(const std::filesystem::path& settings, int argc, char** argv) {
    std::string error;
    void* module = OpenProgramModule(kDesktopModuleName, error);
    DesktopEntry entry = nullptr;
    if (module) {
        entry = reinterpret_cast<DesktopEntry>(dlsym(module, kDesktopEntryName));
        if (!entry) {
            const char* reason = dlerror();
            error = reason ? reason : "no desktop entry in the module";
        }
    }
    if (!entry) {
        std::fprintf(stderr, "zelto-premium: the desktop client is not installed (%s); use --headless or --once\n",
                     error.c_str());
        return 2;
    }
    // The module stays loaded until exit: Qt's threads and exit handlers may still run its code.
    return entry(settings.c_str(), argc, argv);
}

} // namespace zelto
