#pragma once

#include "platform/SoundPlayer.h"

namespace zelto {

// For front-ends without sound: nothing is played.
class SilentSoundPlayer : public SoundPlayer {
public:
    bool PlaySoundCue(std::string_view) override { return false; }
};

} // namespace zelto
