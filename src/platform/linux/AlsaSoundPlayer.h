#pragma once

#include "platform/SoundPlayer.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

namespace zelto {

struct WaveSound;

// The bytes of a cue's sound file by the cue's name; nothing when there is no such cue.
using SoundCueSource = std::function<std::optional<std::string>(std::string_view name)>;

// Plays the cues `cues` gives on an ALSA device, synchronously. A cue started on any thread cuts off the one
// still playing, which then returns early. Without a usable device nothing is played and nothing is printed.
class AlsaSoundPlayer : public SoundPlayer {
public:
    explicit AlsaSoundPlayer(SoundCueSource cues, std::string device = "default");

    bool PlaySoundCue(std::string_view name) override;

private:
    struct Playback {
        bool cutOff = false;
    };
    bool Play(const WaveSound& wave, Playback& playback);
    bool CutOff(const Playback& playback);

    SoundCueSource cues_;
    std::string device_;
    std::mutex mutex_;
    std::condition_variable changed_;
    Playback* playing_ = nullptr;
};

} // namespace zelto
