#include "platform/linux/WaveDecoder.h"

#include <sndfile.h>

#include <algorithm>
#include <memory>

namespace zelto {

namespace {

// Cues are short; a header claiming more is damaged and is not worth the memory.
constexpr sf_count_t kMaxSeconds = 60;

// libsndfile reads through these callbacks straight from the bytes.
struct MemoryFile {
    std::string_view bytes;
    sf_count_t position = 0;
};

sf_count_t Length(void* user) {
    return static_cast<sf_count_t>(static_cast<MemoryFile*>(user)->bytes.size());
}

sf_count_t Seek(sf_count_t offset, int whence, void* user) {
    auto& file = *static_cast<MemoryFile*>(user);
    const auto size = static_cast<sf_count_t>(file.bytes.size());
    sf_count_t target = offset;
    if (whence == SEEK_CUR)
        target += file.position;
    else if (whence == SEEK_END)
        target += size;
    if (target < 0 || target > size)
        return -1;
    file.position = target;
    return target;
}

sf_count_t Read(void* buffer, sf_count_t count, void* user) {
    auto& file = *static_cast<MemoryFile*>(user);
    const sf_count_t left = static_cast<sf_count_t>(file.bytes.size()) - file.position;
    const sf_count_t taken = std::min(count, left);
    std::copy_n(file.bytes.data() + file.position, taken, static_cast<char*>(buffer));
    file.position += taken;
    return taken;
}

sf_count_t Write(const void*, sf_count_t, void*) {
    return 0;
}

sf_count_t Tell(void* user) {
    return static_cast<MemoryFile*>(user)->position;
}

} // namespace

std::optional<WaveSound> DecodeWave(std::string_view bytes) {
    MemoryFile file{bytes};
    SF_VIRTUAL_IO io{&Length, &Seek, &Read, &Write, &Tell};
    SF_INFO info{};
    const std::unique_ptr<SNDFILE, int (*)(SNDFILE*)> sound(sf_open_virtual(&io, SFM_READ, &info, &file), &sf_close);
    if (!sound || info.channels <= 0 || info.samplerate <= 0 || info.frames <= 0 ||
        info.frames > kMaxSeconds * info.samplerate)
        return std::nullopt;
    WaveSound wave;
    wave.channels = info.channels;
    wave.rate = info.samplerate;
    wave.samples.resize(static_cast<std::size_t>(info.frames) * static_cast<std::size_t>(info.channels));
    const sf_count_t frames = sf_readf_short(sound.get(), wave.samples.data(), info.frames);
    if (frames <= 0)
        return std::nullopt;
    wave.samples.resize(static_cast<std::size_t>(frames) * static_cast<std::size_t>(info.channels));
    return wave;
}

} // namespace zelto
