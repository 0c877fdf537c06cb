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

// Gives the file open as `to` (with WRITE_DAC) the access list of the file `from`, when that list is its own:
// protected from the folder's, or with entries of its own beside the inherited ones. True when done or
// nothing is to be done (no such file, a list all inherited); false, with the last error set, otherwise.
bool CopyOwnAccessList(const std::filesystem::path& from, void* to);

} // namespace zelto
