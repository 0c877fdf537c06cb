#include "shell/DesktopLoader.h"

#include "shell/DesktopModule.h"

#include <dlfcn.h>

#include <cstdio>
#include <string>
#include <system_error>

namespace zelto {

namespace {

using DesktopEntry = int (*)(const char*, int, char**);

// The build tree keeps the module next to the executable; an install keeps it in lib/zelto-premium/.
void* OpenDesktopModule(std::string& error) {
    std::error_code ignored;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ignored);
    if (exe.empty()) {
        error = "cannot find the executable's folder";
        return nullptr;
    }
    const std::filesystem::path folder = exe.parent_path();
    std::string broken;
    for (const std::filesystem::path& candidate :
         {folder / kDesktopModuleName, folder / ".." / "lib" / "zelto-premium" / kDesktopModuleName}) {
        if (void* module = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL))
            return module;
        const char* reason = dlerror();
        error = reason ? reason : candidate.string() + ": cannot be loaded";
        // A module that is there but does not load says more than a missing one.
        if (broken.empty() && std::filesystem::exists(candidate, ignored))
            broken = error;
    }
    if (!broken.empty())
        error = broken;
    return nullptr;
}

} // namespace

int LoadAndRunDesktopClient(const std::filesystem::path& settings, int argc, char** argv) {
    std::string error;
    void* module = OpenDesktopModule(error);
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
