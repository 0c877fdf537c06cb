#pragma once

#include "desktop/DialogContext.h"
#include "desktop/DialogWorker.h"
#include "desktop/PausedTooltip.h"
#include "platform/PlatformPorts.h"
#include "update/EnginePorts.h"
#include "update/UpdateCycle.h"

#include <chrono>
#include <memory>
#include <string>
#include <thread>

namespace zelto {

class Notices;
class SettingsFile;

// What a desktop does for the session with its toolkit.
class DesktopShell {
public:
    DesktopShell() = default;
    virtual ~DesktopShell() = default;
    DesktopShell(const DesktopShell&) = delete;
    DesktopShell& operator=(const DesktopShell&) = delete;

    // Adds the tray icon with its menu; false when the user cannot reach it (a desktop that shows no tray
    // icons), so that the session opens the Properties dialog instead. Start-up goes on either way.
    virtual bool ShowTray(const std::string& tooltip) = 0;
    // Takes the tray icon away for good.
    virtual void HideTray() = 0;
    // Shows the splash picture, which removes itself after `time` or at a key or mouse press.
    virtual void ShowSplash(std::chrono::milliseconds time) = 0;
    // Runs the Properties dialog; returns when it has closed.
    virtual void RunProperties(DialogContext& context) = 0;
    // Brings the open Properties dialog, or a message box over it, to the front.
    virtual void RaiseProperties() = 0;
    // Opens a page in the user's browser; nothing is told when none opens.
    virtual void OpenUrl(const std::string& url) = 0;
    // Closes the update thread's open message boxes and shows none from now on.
    virtual void CloseNotices() = 0;
    // Ends the event loop and with it the program, with the given code.
    virtual void EndProcess(int code) = 0;
    // Runs a task on the GUI thread soon after; any thread may call it.
    virtual void PostToGui(std::function<void()> task) = 0;
};

// The desktop program's life, the same under every toolkit: the start-up order, the first-run rule, the
// tray menu's commands and the one way out.
class DesktopSession {
public:
    static constexpr const char* kTooltip = "Zelto Premium Online!";
    static constexpr std::chrono::milliseconds kSplashTime{2000};

    // `notices` are the desktop's own (its message boxes and tray tooltip), for the update cycle.
    DesktopSession(SettingsFile& settings, const PlatformPorts& platform, Notices& notices, DesktopShell& shell,
                   CycleTiming timing = {});
    ~DesktopSession();
    DesktopSession(const DesktopSession&) = delete;
    DesktopSession& operator=(const DesktopSession&) = delete;

    // The tray icon, the splash, the update cycle and, when no domain is configured or the icon cannot be
    // reached, the Properties dialog, in that order; returns when that dialog has closed. Ended() afterwards:
    // its Quit ends the program.
    void Start();

    // The tray menu's commands.
    void OnWebInterface();
    void OnHomepage();
    void OnProperties();
    void OnExit();
    // Brings the Properties dialog up: raises the one open, or runs it. For a second start handed over to this
    // client, and for a desktop whose tray went away.
    void ShowProperties();

    // The one way out, for the tray's Exit and the Properties dialog's Quit alike: the icon goes, the cycle
    // is asked to stop while "OUCH" plays, the open message boxes close, the cycle and a dialog's request
    // still running end (putting back what a request in flight changed, such as the dial-up setting) and the
    // program ends. Later calls do nothing.
    void Leave();
    bool Ended() const { return ended_; }

private:
    void StopCycle();

    SettingsFile& settings_;
    PlatformPorts platform_;
    DesktopShell& shell_;
    PausedTooltip tooltip_; // the skin's notices, with the paused domains in the tooltip
    EnginePorts enginePorts_;
    UpdateCycle cycle_;
    DialogWorker dialogWorker_;
    // A plain thread, stopped through the cycle and joined: std::jthread's stop callback waits on a semaphore
    // that the MinGW thread library can leave waiting for good.
    std::thread worker_;
    DialogContext dialogs_;
    int propertiesOpen_ = 0; // dialogs: one more runs from the tray menu while another is open
    bool ended_ = false;
};

} // namespace zelto
