#include "platform/linux/AlsaSoundPlayer.h"

#include "platform/linux/WaveDecoder.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>
#include <utility>

namespace zelto {

namespace {

// How much the device buffers, and how much is handed over at a time: a cut-off takes effect within one
// chunk.
constexpr unsigned kLatencyMicroseconds = 100000;
constexpr snd_pcm_uframes_t kChunkFrames = 1024;

// ALSA reports a missing device on stderr; the client plays silently instead.
void IgnoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

} // namespace

AlsaSoundPlayer::AlsaSoundPlayer(SoundCueSource cues, std::string device)
    : cues_(std::move(cues)), device_(std::move(device)) {
    snd_lib_error_set_handler(&IgnoreAlsaError);
}

bool AlsaSoundPlayer::PlaySoundCue(std::string_view name) {
    const std::optional<std::string> bytes = cues_(name);
    const std::optional<WaveSound> wave = bytes ? DecodeWave(*bytes) : std::nullopt;
    if (!wave)
        return false;
    Playback playback;
    {
        std::unique_lock lock(mutex_);
        // The cue playing is told to stop, and has let go of the device, before this one starts.
        while (playing_) {
            playing_->cutOff = true;
            changed_.notify_all();
            changed_.wait(lock);
        }
        playing_ = &playback;
    }
    const bool played = Play(*wave, playback);
    {
        std::lock_guard lock(mutex_);
        playing_ = nullptr;
    }
    changed_.notify_all();
    return played;
}

bool AlsaSoundPlayer::CutOff(const Playback& playback) {
    std::lock_guard lock(mutex_);
    return playback.cutOff;
}

bool AlsaSoundPlayer::Play(const WaveSound& wave, Playback& playback) {
    snd_pcm_t* opened = nullptr;
    if (snd_pcm_open(&opened, device_.c_str(), SND_PCM_STREAM_PLAYBACK, 0) < 0)
        return false;
    const std::unique_ptr<snd_pcm_t, int (*)(snd_pcm_t*)> pcm(opened, &snd_pcm_close);
    if (snd_pcm_set_params(pcm.get(), SND_PCM_FORMAT_S16, SND_PCM_ACCESS_RW_INTERLEAVED,
                           static_cast<unsigned>(wave.channels), static_cast<unsigned>(wave.rate), 1,
                           kLatencyMicroseconds) < 0)
        return false;

    const auto channels = static_cast<std::size_t>(wave.channels);
    const std::size_t frames = wave.Frames();
    const auto end = std::chrono::steady_clock::now() +
                     std::chrono::microseconds(static_cast<long long>(frames) * 1000000 / wave.rate);
    std::size_t done = 0;
    while (done < frames) {
        if (CutOff(playback)) {
            snd_pcm_drop(pcm.get());
            return true;
        }
        const auto chunk = static_cast<snd_pcm_uframes_t>(std::min<std::size_t>(kChunkFrames, frames - done));
        const snd_pcm_sframes_t written = snd_pcm_writei(pcm.get(), wave.samples.data() + done * channels, chunk);
        if (written < 0) {
            if (snd_pcm_recover(pcm.get(), static_cast<int>(written), 1) < 0)
                return false;
            continue;
        }
        done += static_cast<std::size_t>(written);
    }
    // Some devices (null, network sinks) take the samples faster than they play them: the cue lasts its own
    // length on the clock as well.
    {
        std::unique_lock lock(mutex_);
        if (changed_.wait_until(lock, end, [&] { return playback.cutOff; })) {
            lock.unlock();
            snd_pcm_drop(pcm.get());
            return true;
        }
    }
    snd_pcm_drain(pcm.get());
    return true;
}

} // namespace zelto
