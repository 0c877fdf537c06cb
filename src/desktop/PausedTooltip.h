#pragma once

#include "platform/Notices.h"
#include "schema/ClientSettings.h"

#include <ctime>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace zelto {

class Clock;
class SettingsFile;

// The tray tooltip: the engine's line; the wait after failures and its cause ("3 failed passes: no answer
// (connection refused); next try 14:06:40", without the cause when that does not fit); then each paused domain
// and why ("example.com: paused, the service refused the password"), as many whole as the icon's record holds,
// then how many more are paused.
std::string TrayTooltip(const std::string& line, const std::optional<FailureWait>& wait,
                        const std::vector<PausedDomain>& paused, std::time_t now);

// The desktop's notices as the update cycle sees them: every tooltip the engine sets, every account problem
// (after which that domain is paused) and the end of every pass (which may begin or end a wait) reach the skin
// with the wait and the paused domains added. The rest passes through unchanged.
class PausedTooltip : public Notices {
public:
    PausedTooltip(Notices& shown, const SettingsFile& settings, const Clock& clock);

    void ShowMessage(const std::string& text) override { shown_.ShowMessage(text); }
    void ShowAccountProblem(const AccountNotice& notice) override;
    bool SetTooltipText(const std::string& text) override;
    void LogExchange(const std::string& maskedUrl, ExchangeOutcome outcome, const std::string& text) override {
        shown_.LogExchange(maskedUrl, outcome, text);
    }
    void PassBegins() override { shown_.PassBegins(); }
    void PassEnded() override;
    // Shows the wait and the paused domains as the settings file has them now: after the user lifted pauses.
    void Refresh();

private:
    // `pausing`: the domain the engine is about to pause, not yet in the file.
    bool Show(const std::vector<PausedDomain>& pausing);

    Notices& shown_;
    const SettingsFile& settings_;
    const Clock& clock_;
    std::mutex mutex_; // the update thread sets the line, the GUI thread refreshes
    std::string line_;
};

} // namespace zelto
