#pragma once

#include <string_view>

namespace zelto {

// Plays the program's sound cues ("INTROSOUND", "BLEEP", "OUCH").
class SoundPlayer {
public:
    SoundPlayer() = default;
    virtual ~SoundPlayer() = default;
    SoundPlayer(const SoundPlayer&) = delete;
    SoundPlayer& operator=(const SoundPlayer&) = delete;

    // Plays the named cue to its end, cutting off one still playing; false when it was not played.
    virtual bool PlaySoundCue(std::string_view name) = 0;
};

} // namespace zelto
