#include "platform/linux/ProgramModule.h"

#include <dlfcn.h>

#include <cstring>
#include <system_error>

namespace zelto {

namespace {

std::string LoaderError(const std::string& fallback) {
    const char* reason = dlerror();
    return reason ? reason : fallback;
}

} // namespace

std::filesystem::path ProgramModuleFolder() {
    std::error_code ignored;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ignored);
    if (!exe.empty() && std::filesystem::equivalent(exe.parent_path(), ZELTO_BUILD_MODULE_DIR, ignored))
        return ZELTO_BUILD_MODULE_DIR;
    return ZELTO_INSTALLED_MODULE_DIR;
}

void* FindModuleSymbol(const std::filesystem::path& folder, const char* fileName, const char* symbol,
                       ModuleProblem& problem) {
    const std::filesystem::path path = folder / fileName;
    std::error_code error;
    if (!std::filesystem::exists(path, error) && !error) {
        problem = {ModuleRefusal::NotInstalled, path.string() + " does not exist"};
        return nullptr;
    }
    problem.refusal = ModuleRefusal::Unusable;
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        problem.detail = LoaderError(path.string() + ": cannot be loaded");
        return nullptr;
    }
    const auto* version = static_cast<const char*>(dlsym(module, kModuleVersionSymbol));
    if (!version || std::strcmp(version, ZELTO_VERSION) != 0) {
        problem.detail = path.string() + (version ? " is version " + std::string(version) : " carries no version") +
                         ", the program is version " ZELTO_VERSION;
        dlclose(module);
        return nullptr;
    }
    void* found = dlsym(module, symbol);
    if (!found)
        problem.detail = LoaderError(path.string() + ": no " + symbol);
    return found;
}

} // namespace zelto
