#pragma once

namespace zelto {

class Autostart;
class AutodialSetting;
class Clock;
class HostAddresses;
class HookRunner;
class HttpSessionFactory;
class SoundPlayer;
class SystemEvents;

// The outside world one platform provides to the front-ends: every port of the engine but the settings file,
// which a front-end opens, and the notices, which each front-end shows its own way.
struct PlatformPorts {
    HttpSessionFactory& http;
    AutodialSetting& autodial;
    HostAddresses& addresses;
    Clock& clock;
    SoundPlayer& sound;
    HookRunner* hooks = nullptr;    // the user's command on an address change; none in tests and benchmarks
    SystemEvents* events = nullptr; // address changes and resumes; none in tests and benchmarks
};

// Owns one platform's adapters for as long as a front-end runs on them; the platform's composition root
// makes it.
class PlatformAdapters {
public:
    PlatformAdapters() = default;
    virtual ~PlatformAdapters() = default;
    PlatformAdapters(const PlatformAdapters&) = delete;
    PlatformAdapters& operator=(const PlatformAdapters&) = delete;

    virtual PlatformPorts Ports() = 0;
    // Starting the desktop program when the user signs in; only the command line sets it.
    virtual Autostart& DesktopAutostart() = 0;
};

} // namespace zelto
