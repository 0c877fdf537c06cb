#pragma once

#include <filesystem>

namespace zelto {

// Whether the file's access list lets anyone read it but its owner, the user running this program, SYSTEM and
// the Administrators: a file without a list, or one granting Everyone or Users, as %WINDIR% gives its files.
bool OthersMayRead(const std::filesystem::path& file);
// Whether another user may have put the file's contents there: it belongs to neither this user nor the
// administration (the Administrators, SYSTEM, the installer service), or its list lets anyone else write it
// or change who may. A file whose list cannot be read counts as replaceable.
bool ReplaceableByOthers(const std::filesystem::path& file);

} // namespace zelto
