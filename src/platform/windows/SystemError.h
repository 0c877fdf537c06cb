#pragma once

#include <filesystem>
#include <string>

namespace zelto {

// The system's words for an error code, without the full stop, for "could not ...: <reason>" lines.
std::string SystemErrorText(unsigned long error);

// The running program's own file.
std::filesystem::path ThisProgramPath();

} // namespace zelto
