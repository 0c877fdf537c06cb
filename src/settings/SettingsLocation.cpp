#include "settings/SettingsLocation.h"

namespace zelto {

// No earlier client kept its settings anywhere else here.
std::filesystem::path StartingContentFor(const std::filesystem::path&) {
    return {};
}

} // namespace zelto
