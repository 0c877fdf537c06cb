#include "desktop/PausedTooltip.h"

#include "config/PauseText.h"
#include "desktop/DesktopSession.h"
#include "desktop/TrayState.h"
#include "platform/Clock.h"
#include "settings/SettingsFile.h"

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

// A wait concerns every domain, so it comes before the pauses: whole when it leaves `room` for the count of
// them, else its count and next try.
std::string WithWait(const std::string& line, const std::optional<FailureWait>& wait, std::time_t now,
                     std::size_t room) {
    if (!wait)
        return line;
    const std::string passes =
        std::to_string(wait->failures) + (wait->failures == 1 ? " failed pass" : " failed passes");
    const std::string next = "; next try " + (wait->until > now ? TimeText(wait->until, now) : std::string("now"));
    const std::string whole = line + "\n" + passes + ": " + OutcomeText(wait->last) + next;
    return whole.size() + room <= TrayState::kMaxTooltip ? whole : line + "\n" + passes + next;
}

} // namespace

std::string TrayTooltip(const std::string& engineLine, const std::optional<FailureWait>& wait,
                        const std::vector<PausedDomain>& paused, std::time_t now) {
    // "\n999 domains paused"
    const std::string line = WithWait(engineLine, wait, now, paused.empty() ? 0 : 20);
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

void PausedTooltip::PassEnded() {
    shown_.PassEnded();
    Show({});
}

bool PausedTooltip::Show(const std::vector<PausedDomain>& pausing) {
    const SettingsFile::Lock lock(settings_); // the wait and the pauses from one state of the file
    const ClientSettingsView view(settings_);
    const std::optional<FailureWait> wait = view.StoredFailureWait();
    std::vector<PausedDomain> paused = view.PausedDomains();
    for (const PausedDomain& domain : pausing) {
        const auto same = [&](const PausedDomain& known) {
            return known.entry.domain == domain.entry.domain && known.entry.topLevel == domain.entry.topLevel;
        };
        if (std::ranges::none_of(paused, same))
            paused.push_back(domain);
    }
    const std::lock_guard shown(mutex_);
    return shown_.SetTooltipText(TrayTooltip(line_, wait, paused, clock_.Now()));
}

} // namespace zelto
