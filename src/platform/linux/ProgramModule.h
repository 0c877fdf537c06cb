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

// Opens the module `fileName` in `folder`, checks its version against the program's and finds `symbol` in it.
// Null, with the reason in `error`, when any step fails. A module stays loaded until exit: threads and exit
// handlers may still run its code.
void* FindModuleSymbol(const std::filesystem::path& folder, const char* fileName, const char* symbol,
                       std::string& error);

// The entry point of one of the program's modules, from ProgramModuleFolder(), as the function it is.
template <class Function> Function* FindModuleEntry(const char* fileName, const char* symbol, std::string& error) {
    return reinterpret_cast<Function*>(FindModuleSymbol(ProgramModuleFolder(), fileName, symbol, error));
}

} // namespace zelto
