#pragma once

#include <filesystem>
#include <string>

namespace zelto {

// The name under which the desktop client running on a settings file takes requests from a second start
// (its local socket on Linux, its hidden window's title on Windows): the same for every spelling of the
// file's path, different for every other file.
std::string HandOverName(const std::filesystem::path& settings);

} // namespace zelto
