#pragma once

#include "platform/InstanceLock.h"

#include <filesystem>
#include <string>

namespace zelto {

// The words every front-end shows when another client holds its settings file: which process, and what kind.
std::string AnotherClientText(const std::filesystem::path& settings, const InstanceHolder& holder);

} // namespace zelto
