#include "app/LinuxPlatform.h"

#include "platform/SoundPlayer.h"

#include <utility>

namespace zelto {

LinuxPlatform::LinuxPlatform(std::string agent, std::unique_ptr<SoundPlayer> sound)
    : http_(std::move(agent)), sound_(std::move(sound)) {}

LinuxPlatform::~LinuxPlatform() = default;

PlatformPorts LinuxPlatform::Ports() {
    return PlatformPorts{http_, autodial_, addresses_, clock_, *sound_, &hooks_, &events_};
}

} // namespace zelto
