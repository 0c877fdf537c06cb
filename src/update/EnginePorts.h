#pragma once

namespace zelto {

class SettingsFile;
class HttpSessionFactory;
class AutodialSetting;
class HostAddresses;
class Clock;
class Notices;
class SoundPlayer;

// Everything the update engine needs from the outside world, handed in by its owner.
struct EnginePorts {
    SettingsFile& settings;
    HttpSessionFactory& http;
    AutodialSetting& autodial;
    HostAddresses& addresses;
    Clock& clock;
    Notices& notices;
    SoundPlayer& sound;
};

} // namespace zelto
