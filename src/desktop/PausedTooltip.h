#pragma once

#include "platform/Notices.h"
#include "schema/ClientSettings.h"

#include <mutex>
#include <string>
#include <vector>

namespace zelto {

class Clock;
class SettingsFile;

// The tray tooltip: the engine's line, then each paused domain and why ("example.com: paused, the service
// refused the password"), as many whole as the icon's record holds, then how many more are paused.
std::string TooltipWithPauses(const std::string& line, const std::vector<PausedDomain>& paused);

// The desktop's notices as the update cycle sees them: every tooltip the engine sets, and every account
// problem (after which that domain is paused), reaches the skin with the paused domains added. The rest
// passes through unchanged.
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
    void PassEnded() override { shown_.PassEnded(); }
    // Shows the paused domains as the settings file has them now: after the user lifted pauses.
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
