#include "config/FreshIpUpdate.h"

#include "platform/HttpSession.h"
#include "platform/SoundPlayer.h"
#include "platform/StopSignal.h"
#include "schema/ClientSettings.h"
#include "update/FetchFirstLine.h"
#include "update/ServiceEndpoints.h"

namespace zelto {

FreshIpUpdateOutcome RunFreshIpUpdate(SettingsFile& settings, HttpSessionFactory& http, SoundPlayer& sound,
                                      const StopSignal* stop) {
    // The flag follows the last domain that answered "success" (set) or did not answer at all (clear);
    // any other answer leaves it, and an empty list leaves it clear.
    bool success = false;
    // The message is about the service's answers; a pause that could not be lifted shows in status.
    ClientSettings(settings).ResumeUpdates();
    {
        const ServiceEndpoints endpoints(settings);
        const std::unique_ptr<HttpSession> session = http.Open(stop, endpoints.UpdateServerTrust());
        const ClientSettingsView schema(settings);
        const int count = schema.DomainCount();
        for (int n = 1; n <= count && !(stop && stop->Raised()); ++n) {
            // Empty values are sent as they are: the service decides what an incomplete entry means.
            const DomainEntry entry = schema.Domain(n);
            if (!session) {
                success = false;
                continue;
            }
            const FirstLine answer =
                FetchFirstLine(*session, endpoints.InitializeUrl(entry.topLevel, entry.domain, entry.password));
            if (!answer.obtained)
                success = false;
            else if (answer.line == "success")
                success = true;
        }
    }
    FreshIpUpdateOutcome outcome;
    if (stop && stop->Raised())
        return outcome;
    sound.PlaySoundCue("BLEEP");
    outcome.success = success;
    outcome.message = success ? "Fresh IP update will occur in a few moments!" : "Fresh IP update could not complete!";
    return outcome;
}

} // namespace zelto
