#include "desktop/DesktopSession.h"

#include "platform/SoundPlayer.h"
#include "schema/ClientSettings.h"
#include "update/ServiceEndpoints.h"

namespace zelto {

DesktopSession::DesktopSession(SettingsFile& settings, const PlatformPorts& platform, Notices& notices,
                               DesktopShell& shell, CycleTiming timing)
    : settings_(settings), platform_(platform), shell_(shell),
      tooltip_(notices, settings, platform.clock), enginePorts_{settings, platform, tooltip_},
      cycle_(enginePorts_, timing),
      dialogWorker_([&shell](std::function<void()> task) { shell.PostToGui(std::move(task)); }),
      dialogs_{settings,       platform.http,
               platform.sound, [this] { Leave(); },
               dialogWorker_,  [this](const std::string& text) { tooltip_.ShowMessage(text); }} {}

DesktopSession::~DesktopSession() {
    StopCycle();
}

void DesktopSession::StopCycle() {
    cycle_.RequestStop();
    if (worker_.joinable())
        worker_.join();
}

void DesktopSession::Start() {
    const bool trayReached = shell_.ShowTray(kTooltip);
    shell_.ShowSplash(kSplashTime);
    worker_ = std::thread([this] { cycle_.RunUpdateCycle(); });
    if (!trayReached || ClientSettingsView(settings_).DomainCount() == 0)
        OnProperties();
}

void DesktopSession::OnWebInterface() {
    shell_.OpenUrl(ServiceEndpoints(settings_).WebInterfacePage());
}

void DesktopSession::OnHomepage() {
    shell_.OpenUrl(ServiceEndpoints(settings_).HomePage());
}

// Its OK and Force IP Update lift the pauses.
void DesktopSession::OnProperties() {
    ++propertiesOpen_;
    shell_.RunProperties(dialogs_);
    --propertiesOpen_;
    if (!ended_)
        tooltip_.Refresh();
}

void DesktopSession::ShowProperties() {
    if (propertiesOpen_ > 0)
        shell_.RaiseProperties();
    else
        OnProperties();
}

void DesktopSession::OnExit() {
    Leave();
}

void DesktopSession::Leave() {
    if (ended_)
        return;
    ended_ = true;
    shell_.HideTray();
    cycle_.RequestStop();
    platform_.sound.PlaySoundCue("OUCH");
    shell_.CloseNotices();
    dialogWorker_.Stop();
    StopCycle();
    shell_.EndProcess(0);
}

} // namespace zelto
