#pragma once

#include "platform/Clock.h"
#include "platform/PlatformPorts.h"
#include "platform/windows/AdapterAddresses.h"
#include "platform/windows/ProcessHookRunner.h"
#include "platform/windows/RegistryAutodialSetting.h"
#include "platform/windows/RunKeyAutostart.h"
#include "platform/windows/WinInetHttpSession.h"
#include "platform/windows/WindowsSystemEvents.h"

#include <ctime>
#include <memory>
#include <string>

namespace zelto {

class SoundPlayer;

// The Windows adapters, assembled in this one place for the console program and the desktop program alike.
class WindowsPlatform : public PlatformAdapters {
public:
    // `agent` is the name every request carries; the sound is the front-end's choice.
    WindowsPlatform(std::string agent, std::unique_ptr<SoundPlayer> sound);
    ~WindowsPlatform() override;

    PlatformPorts Ports() override;
    Autostart& DesktopAutostart() override { return autostart_; }

private:
    class SystemClock : public Clock {
    public:
        std::time_t Now() const override { return std::time(nullptr); }
    };

    WinInetHttpSessionFactory http_;
    RegistryAutodialSetting autodial_;
    AdapterAddresses addresses_;
    SystemClock clock_;
    RunKeyAutostart autostart_;
    std::unique_ptr<SoundPlayer> sound_;
    ProcessHookRunner hooks_;
    WindowsSystemEvents events_;
};

} // namespace zelto
