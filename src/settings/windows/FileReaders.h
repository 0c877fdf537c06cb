#pragma once

#include <filesystem>

namespace zelto {

// Whether the file's access list lets anyone read it but its owner, the user running this program, SYSTEM and
// the Administrators: a file without a list, or one granting Everyone or Users, as %WINDIR% gives its files.
bool OthersMayRead(const std::filesystem::path& file);

} // namespace zelto
