#include "app/WindowsPlatform.h"

#include "platform/SoundPlayer.h"

#include <utility>

namespace zelto {

WindowsPlatform::WindowsPlatform(std::string agent, std::unique_ptr<SoundPlayer> sound)
    : http_(std::move(agent)), sound_(std::move(sound)) {
    // A run killed while a request had dial-up switched off left the user's value kept: put it back first.
    autodial_.RestoreKeptCopy();
}

WindowsPlatform::~WindowsPlatform() = default;

PlatformPorts WindowsPlatform::Ports() {
    return PlatformPorts{http_, autodial_, addresses_, clock_, *sound_, &hooks_, &events_};
}

} // namespace zelto
