#pragma once

#include <string>

namespace zelto {

class SettingsFile;
class HttpSessionFactory;
class SoundPlayer;

struct FreshIpUpdateOutcome {
    bool success = false;
    std::string message; // "Fresh IP update will occur in a few moments!" or "... could not complete!"
};

// Asks the service to initialise every configured domain through one session, then plays "BLEEP".
// The caller shows the message.
FreshIpUpdateOutcome RunFreshIpUpdate(const SettingsFile& settings, HttpSessionFactory& http, SoundPlayer& sound);

} // namespace zelto
