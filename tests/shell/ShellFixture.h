#pragma once

// A CClientApp on fakes: settings in a temporary folder, scripted HTTP, a recording sound player and a
// recording Properties dialog.

#include "fakes/FakePorts.h"
#include "fakes/TempDir.h"
#include "settings/SettingsFile.h"
#include "shell/ClientApp.h"
#include "shell/SystemTray.h"

#include <QList>
#include <QUrl>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace zelto::fakes {

// Records each cue with whether the tray icon was hidden when it started.
class OrderedSound : public SoundPlayer {
public:
    std::function<bool()> trayHidden;

    bool PlaySoundCue(std::string_view name) override {
        std::lock_guard lock(mutex_);
        played_.push_back(std::string(name) + (trayHidden && trayHidden() ? " (icon hidden)" : ""));
        return true;
    }
    std::vector<std::string> Played() const {
        std::lock_guard lock(mutex_);
        return played_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> played_;
};

struct ShellWorld {
    TempDir dir;
    SettingsFile settings{dir.File("ZeltoPre.INI")};
    FakeHttp http;
    FakeAutodial autodial;
    FakeHostAddresses addresses;
    FakeClock clock;
    OrderedSound sound;
    QList<QUrl> opened;
    int propertiesRuns = 0;
    // What the fake Properties dialog does; by default it closes with OK at once.
    std::function<void(DialogContext&)> onProperties;

    ShellHooks Hooks() {
        ShellHooks hooks;
        hooks.openUrl = [this](const QUrl& url) { opened << url; };
        hooks.runProperties = [this](DialogContext& context) {
            ++propertiesRuns;
            if (onProperties)
                onProperties(context);
        };
        hooks.splashTime = std::chrono::milliseconds(60000);
        return hooks;
    }

    void AddDomain() {
        settings.WriteText("numofdomains", "1");
        settings.WriteText("first_level1", "com");
        settings.WriteText("second_level1", "example");
        settings.WriteText("password1", "secret1");
        settings.WriteText("ipmethod", "0");
    }

    bool Asked(const std::string& page) const {
        for (const std::string& url : http.Requests())
            if (url.find(page) != std::string::npos)
                return true;
        return false;
    }
};

// Builds the application over the world (or another HTTP port), with the sound player told where the tray
// icon is.
inline std::unique_ptr<CClientApp> MakeApp(ShellWorld& world, HttpSessionFactory* http = nullptr) {
    auto app = std::make_unique<CClientApp>(ShellPorts{world.settings, http ? *http : world.http, world.autodial,
                                                       world.addresses, world.clock, world.sound},
                                            world.Hooks());
    CClientApp* raw = app.get();
    world.sound.trayHidden = [raw] { return raw->m_pTrayIcon && raw->m_pTrayIcon->IsHidden(); };
    return app;
}

} // namespace zelto::fakes
