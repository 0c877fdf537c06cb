#pragma once

#include <filesystem>

namespace zelto {

// The file a settings file at path reads, and its first write starts from, while it does not exist yet: for
// the default location (DefaultSettingsPath), the original client's file; empty for any other path.
std::filesystem::path StartingContentFor(const std::filesystem::path& path);

} // namespace zelto
