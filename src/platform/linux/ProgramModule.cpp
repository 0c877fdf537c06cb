#include "platform/linux/ProgramModule.h"

#include <dlfcn.h>

#include <filesystem>
#include <system_error>

namespace zelto {

void* OpenProgramModule(const std::string& fileName, std::string& error) {
    std::error_code ignored;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ignored);
    if (exe.empty()) {
        error = "cannot find the executable's folder";
        return nullptr;
    }
    const std::filesystem::path folder = exe.parent_path();
    std::string broken;
    for (const std::filesystem::path& candidate :
         {folder / fileName, folder / ".." / "lib" / "zelto-premium" / fileName}) {
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

} // namespace zelto
