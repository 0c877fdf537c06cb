#pragma once

#include <functional>

namespace zelto {

class SettingsFile;
class HttpSessionFactory;
class SoundPlayer;

// What the dialogs need from the application, handed in by the shell.
struct DialogContext {
    SettingsFile& settings;
    HttpSessionFactory& http; // the Force IP Update's own session
    SoundPlayer& sound;       // "OUCH" on Quit, "BLEEP" after Force IP Update
    std::function<void()> hideTrayIcon;
    std::function<void(int)> exitProcess; // ends the program with the given code; replaced in tests
};

} // namespace zelto
