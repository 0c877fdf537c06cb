#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace zelto {

// A sound as 16-bit interleaved samples.
struct WaveSound {
    int channels = 0;
    int rate = 0;
    std::vector<std::int16_t> samples;

    std::size_t Frames() const { return channels > 0 ? samples.size() / static_cast<std::size_t>(channels) : 0; }
};

// Decodes a complete sound file held in memory (RIFF WAVE and whatever else libsndfile reads); nothing
// when the bytes are not a sound it can read or hold no samples.
std::optional<WaveSound> DecodeWave(std::string_view bytes);

} // namespace zelto
