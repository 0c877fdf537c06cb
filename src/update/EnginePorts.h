#pragma once

#include "platform/PlatformPorts.h"

namespace zelto {

class SettingsFile;
class Notices;

// Everything the update engine needs from the outside world, handed in by its owner: the platform's ports,
// the settings file the front-end opened, and the front-end's own way of telling the user.
struct EnginePorts {
    SettingsFile& settings;
    PlatformPorts platform;
    Notices& notices;
};

} // namespace zelto
