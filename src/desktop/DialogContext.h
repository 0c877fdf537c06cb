#pragma once

#include <functional>

namespace zelto {

class SettingsFile;
class HttpSessionFactory;
class SoundPlayer;

// What the dialogs need from the session, whichever toolkit draws them.
struct DialogContext {
    SettingsFile& settings;
    HttpSessionFactory& http;   // the Force IP Update's own session
    SoundPlayer& sound;         // "BLEEP" after Force IP Update
    std::function<void()> quit; // the Properties dialog's Quit: the session's one way out
};

} // namespace zelto
