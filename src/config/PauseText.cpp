#include "config/PauseText.h"

#include "update/UpdateRecord.h"

namespace zelto {

namespace {

std::string Why(PauseReason reason) {
    switch (reason) {
    case PauseReason::WrongPassword:
        return "the service refused the password";
    case PauseReason::Expired:
        return "the subscription has expired";
    case PauseReason::NoDomain:
        return "the service does not know the domain";
    }
    return {};
}

std::string WhatResumes(PauseReason reason) {
    switch (reason) {
    case PauseReason::WrongPassword:
        return "re-enter it to resume";
    case PauseReason::Expired:
        return "renew it, then Force IP Update (force-update) resumes";
    case PauseReason::NoDomain:
        return "correct the domain, or create it, then Force IP Update (force-update) resumes";
    }
    return {};
}

std::string When(std::time_t since, std::time_t now) {
    std::tm local{};
    std::tm today{};
    localtime_r(&since, &local);
    localtime_r(&now, &today);
    const bool sameDay = local.tm_year == today.tm_year && local.tm_yday == today.tm_yday;
    char text[32];
    std::strftime(text, sizeof text, sameDay ? "%H:%M" : "%Y-%m-%d %H:%M", &local);
    return text;
}

} // namespace

std::string PausedDomainText(const PausedDomain& paused, std::time_t now) {
    return paused.entry.domain + "." + paused.entry.topLevel + ": paused, " + Why(paused.pause.reason) + " (" +
           When(paused.pause.since, now) + "); " + WhatResumes(paused.pause.reason);
}

} // namespace zelto
