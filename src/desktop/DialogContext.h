#pragma once

#include <functional>
#include <string>

namespace zelto {

class SettingsFile;
class HttpSessionFactory;
class SoundPlayer;
class DialogWorker;

// What the dialogs need from the session, whichever toolkit draws them.
struct DialogContext {
    SettingsFile& settings;
    HttpSessionFactory& http;   // the Force IP Update's own session
    SoundPlayer& sound;         // "BLEEP" after Force IP Update
    std::function<void()> quit; // the Properties dialog's Quit: the session's one way out
    DialogWorker& worker;       // where the requests a dialog waits for run
    // A message box of the session's own, for a request's result whose dialog has closed meanwhile.
    std::function<void(const std::string& text)> tell;
};

} // namespace zelto
