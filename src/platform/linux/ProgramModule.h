#pragma once

#include <filesystem>
#include <string>

// Every module of the program exports the version it was built as (ModuleVersion.cpp, linked into each
// module); the program refuses a module of another version, whose types may not match its own.
extern "C" const char zelto_module_version[];

namespace zelto {

inline constexpr const char* kModuleVersionSymbol = "zelto_module_version";

// The one folder the program loads its modules from: the build tree's own folder for the program run from
// the build tree, else the folder fixed when it was built for its install prefix. Never a folder found by
// searching, so no module can be slipped in beside a copy of the program.
std::filesystem::path ProgramModuleFolder();

// Why a module's entry was not found.
enum class ModuleRefusal {
    // There is no such file: the package that ships the module is not installed.
    NotInstalled,
    // It is there but cannot be used: the loader refused it, it is of another version or lacks the entry.
    Unusable,
};

struct ModuleProblem {
    ModuleRefusal refusal = ModuleRefusal::Unusable;
    std::string detail;
};

// Opens the module `fileName` in `folder`, checks its version against the program's and finds `symbol` in it.
// Null, with the reason in `problem`, when any step fails. A module stays loaded until exit: threads and exit
// handlers may still run its code.
void* FindModuleSymbol(const std::filesystem::path& folder, const char* fileName, const char* symbol,
                       ModuleProblem& problem);

// The entry point of one of the program's modules, from ProgramModuleFolder(), as the function it is.
template <class Function> Function* FindModuleEntry(const char* fileName, const char* symbol, ModuleProblem& problem) {
    return reinterpret_cast<Function*>(FindModuleSymbol(ProgramModuleFolder(), fileName, symbol, problem));
}

} // namespace zelto
