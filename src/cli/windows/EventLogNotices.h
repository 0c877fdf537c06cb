#pragma once

#include "update/Notices.h"

#include <string>

namespace zelto {

// The engine's notices as a service gives them, in the Application event log under the source "Zelto
// Premium": account problems as warnings, failed requests as errors, by each outcome's weight. Routine
// answers and the tooltip are left out: the log is for what needs someone's attention.
class EventLogNotices : public Notices {
public:
    // `program`: the console program, whose commands the account problems name.
    explicit EventLogNotices(std::string program);
    ~EventLogNotices() override;

    void ShowMessage(const std::string& text) override;
    void ShowAccountProblem(const AccountNotice& notice) override;
    bool SetTooltipText(const std::string& text) override;
    void LogExchange(const std::string& maskedUrl, ExchangeOutcome outcome, const std::string& text) override;

    // An event of the service's own, such as a settings file it cannot use.
    void Error(const std::string& text);

private:
    void Report(unsigned short type, const std::string& text);

    std::string program_;
    void* source_; // the event source's handle
};

} // namespace zelto
