#pragma once

#include "platform/SoundPlayer.h"

namespace zelto::win32 {

// Plays the program's WAVE resources with the system's wave playback, synchronously; a cue that cannot
// be played is silent (no default sound either).
class WaveSoundPlayer : public SoundPlayer {
public:
    bool PlaySoundCue(std::string_view name) override;
};

} // namespace zelto::win32
