#pragma once

#include <string>

namespace zelto {

// Opens one of the program's own modules by file name: next to the executable (the build tree), else in
// ../lib/zelto-premium/ (an install). Null when it cannot, with the reason in `error`.
void* OpenProgramModule(const std::string& fileName, std::string& error);

} // namespace zelto
