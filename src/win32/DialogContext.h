#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace zelto {

class SettingsFile;
class HttpSessionFactory;
class SoundPlayer;

// Shows a message to the user over owner and returns once it has been acknowledged.
using MessageFn = std::function<void(HWND owner, const std::string& text)>;

// What the dialogs need from the application, handed in by CClientApp; tests hand in their own.
struct DialogContext {
    SettingsFile& settings;
    HttpSessionFactory& http; // the Force IP Update's own session
    SoundPlayer& sound;       // "OUCH" on Quit, "BLEEP" after Force IP Update
    std::function<void()> hideTrayIcon;
    std::function<void(int)> exitProcess; // ends the program with the given code
    MessageFn showMessage;
};

} // namespace zelto
