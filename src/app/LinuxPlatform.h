#pragma once

#include "platform/PlatformPorts.h"
#include "platform/linux/DesktopEntryAutostart.h"
#include "platform/linux/InterfaceAddresses.h"
#include "platform/linux/LinuxSystemEvents.h"
#include "platform/linux/NullAutodialSetting.h"
#include "platform/linux/SpawnHookRunner.h"
#include "platform/linux/SystemClock.h"
#include "platform/linux/http/SocketHttpSession.h"

#include <memory>
#include <string>

namespace zelto {

class SoundPlayer;

// The Linux adapters, assembled in this one place for the headless modes and the desktop client alike.
class LinuxPlatform : public PlatformAdapters {
public:
    // `agent` is the name every request carries. The sound is the front-end's choice: the desktop's speakers
    // live in the desktop module, so a headless process never loads ALSA's libraries.
    LinuxPlatform(std::string agent, std::unique_ptr<SoundPlayer> sound);
    ~LinuxPlatform() override;

    PlatformPorts Ports() override;
    Autostart& DesktopAutostart() override { return autostart_; }

private:
    SocketHttpSessionFactory http_;
    NullAutodialSetting autodial_;
    InterfaceAddresses addresses_;
    SystemClock clock_;
    DesktopEntryAutostart autostart_;
    std::unique_ptr<SoundPlayer> sound_;
    SpawnHookRunner hooks_;
    LinuxSystemEvents events_;
};

} // namespace zelto
