#pragma once

#include <filesystem>
#include <string>

namespace zelto {

class SettingsFile;

// What a desktop start asks of its skin.
class DesktopStartView {
public:
    DesktopStartView() = default;
    virtual ~DesktopStartView() = default;
    DesktopStartView(const DesktopStartView&) = delete;
    DesktopStartView& operator=(const DesktopStartView&) = delete;

    // Asks the desktop client running on the settings file to show its Properties; true once it has answered.
    virtual bool HandOver() = 0;
    // Says in a message box why no client starts: started from a menu, nobody reads a console.
    virtual void Tell(const std::string& text) = 0;
    // Runs the client on the settings file until it ends; returns the process's exit code.
    virtual int Run(SettingsFile& settings) = 0;
};

// The desktop program's start, the same in both skins: it takes the settings file's instance lock and holds
// it until the client ends, since two desktop clients would send every update twice. A file another client
// holds is handed over to a running desktop client or refused naming its holder; an unreadable file is
// refused saying why. Returns the process's exit code.
int StartDesktop(const std::filesystem::path& settings, DesktopStartView& view);

} // namespace zelto
