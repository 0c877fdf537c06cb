#pragma once

#include <string>

namespace zelto {

class SettingsFile;
class HttpSessionFactory;
class SoundPlayer;
class StopSignal;

struct FreshIpUpdateOutcome {
    bool success = false;
    std::string message; // "Fresh IP update will occur in a few moments!" or "... could not complete!"
};

// Lifts every pause and any waiting after failures (the user asks for the updates to go out), asks the
// service to initialise every configured domain through one session, then plays "BLEEP". The caller shows
// the message. A raised `stop` ends the requests as no answer, sends no more and plays nothing: the program
// is leaving.
FreshIpUpdateOutcome RunFreshIpUpdate(SettingsFile& settings, HttpSessionFactory& http, SoundPlayer& sound,
                                      const StopSignal* stop = nullptr);

} // namespace zelto
