#include "desktop/PausedTooltip.h"

#include "config/PauseText.h"
#include "desktop/DesktopSession.h"
#include "desktop/TrayState.h"
#include "platform/Clock.h"

#include <algorithm>

namespace zelto {

namespace {

PauseReason ReasonOf(AccountNotice::Problem problem) {
    switch (problem) {
    case AccountNotice::Problem::Expired:
        return PauseReason::Expired;
    case AccountNotice::Problem::NoDomain:
        return PauseReason::NoDomain;
    case AccountNotice::Problem::WrongPassword:
        break;
    }
    return PauseReason::WrongPassword;
}

} // namespace

std::string TooltipWithPauses(const std::string& line, const std::vector<PausedDomain>& paused) {
    std::vector<std::string> lines;
    for (const PausedDomain& domain : paused) {
        std::string text(1, '\n');
        text.append(domain.entry.domain).append(".").append(domain.entry.topLevel).append(": paused, ");
        lines.push_back(text.append(PauseReasonText(domain.pause.reason)));
    }
    // The most whole lines that fit with the count of the rest after them; a line is never cut.
    for (std::size_t whole = lines.size() + 1; whole-- > 0;) {
        std::string text = line;
        for (std::size_t i = 0; i < whole; ++i)
            text.append(lines[i]);
        const std::size_t rest = lines.size() - whole;
        if (rest > 0)
            text.append("\n")
                .append(std::to_string(rest))
                .append(whole > 0   ? " more"
                        : rest == 1 ? " domain"
                                    : " domains")
                .append(" paused");
        if (text.size() <= TrayState::kMaxTooltip || whole == 0)
            return text;
    }
    return line;
}

PausedTooltip::PausedTooltip(Notices& shown, const SettingsFile& settings, const Clock& clock)
    : shown_(shown), settings_(settings), clock_(clock), line_(DesktopSession::kTooltip) {}

void PausedTooltip::ShowAccountProblem(const AccountNotice& notice) {
    shown_.ShowAccountProblem(notice);
    Show({{0, {notice.domain, notice.topLevel, {}}, {ReasonOf(notice.problem), clock_.Now()}}});
}

bool PausedTooltip::SetTooltipText(const std::string& text) {
    {
        const std::lock_guard lock(mutex_);
        line_ = text;
    }
    return Show({});
}

void PausedTooltip::Refresh() {
    Show({});
}

bool PausedTooltip::Show(const std::vector<PausedDomain>& pausing) {
    std::vector<PausedDomain> paused = ClientSettingsView(settings_).PausedDomains();
    for (const PausedDomain& domain : pausing) {
        const auto same = [&](const PausedDomain& known) {
            return known.entry.domain == domain.entry.domain && known.entry.topLevel == domain.entry.topLevel;
        };
        if (std::ranges::none_of(paused, same))
            paused.push_back(domain);
    }
    const std::lock_guard lock(mutex_);
    return shown_.SetTooltipText(TooltipWithPauses(line_, paused));
}

} // namespace zelto
