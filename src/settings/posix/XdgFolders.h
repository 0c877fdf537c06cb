#pragma once

#include <filesystem>

namespace zelto {

// The user's home: $HOME, else the password database's entry, else "/".
std::filesystem::path HomeFolder();

// An XDG base folder: the variable when it holds an absolute path, else the fallback under home
// (XdgBaseFolder("XDG_CONFIG_HOME", ".config")).
std::filesystem::path XdgBaseFolder(const char* variable, const char* underHome);

} // namespace zelto
