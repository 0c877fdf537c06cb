#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zelto::qt {

// The bytes of an embedded cue (":/sounds/NAME.wav"); nothing for a name that is not all capital letters,
// so no name reaches another resource.
std::optional<std::string> ReadSoundCue(std::string_view name);

} // namespace zelto::qt
