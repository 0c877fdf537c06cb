#include "update/UpdateDomain.h"

#include "platform/Clock.h"
#include "schema/ClientSettings.h"
#include "schema/UpdateRecord.h"
#include "settings/SettingsFile.h"
#include "update/DialUpGuard.h"
#include "update/EnginePorts.h"
#include "update/ExchangeFailure.h"
#include "update/FetchFirstLine.h"
#include "update/Notices.h"
#include "update/ServiceEndpoints.h"
#include "update/UpdateAnswer.h"

namespace zelto {

namespace {

constexpr const char* kTooltipPrefix = "Zelto Premium Online! IP Address->";

} // namespace

DomainExchange UpdateDomain(EnginePorts& ports, HttpSession& session, const ServiceEndpoints& endpoints, int number,
                            const DomainEntry& entry, const std::string& address) {
    // One time for the outcome, so that the one written with the record is the one the pass stores.
    const std::time_t requestedAt = ports.platform.clock.Now();
    const std::string url = endpoints.UpdateUrl(entry.topLevel, entry.domain, entry.password, address);

    // Released on every way out, and only after a message box has been closed.
    DialUpGuard guard(ports.platform.autodial);
    guard.Engage();
    const FirstLine answer = FetchFirstLine(session, url);
    DomainExchange exchange;
    exchange.outcome = {RequestResult::NoAnswer, answer.failure, answer.status, requestedAt};
    exchange.line = answer.line;
    if (!answer.obtained) {
        ports.notices.LogExchange(MaskPassword(url), ExchangeOutcome::NoAnswer, NoAnswerText(answer.failure));
        return exchange;
    }

    const UpdateAnswer meaning = ClassifyAnswer(answer.line);
    exchange.outcome.result = meaning.result;
    exchange.outcome.refusal = meaning.refusal;
    if (meaning.result == RequestResult::Registered && !IsRecordableAddress(meaning.address)) {
        exchange.outcome.result = RequestResult::OtherAnswer;
        ports.notices.LogExchange(MaskPassword(url), ExchangeOutcome::NotAnAddress,
                                  answer.line + " (not an address; nothing recorded)");
        return exchange;
    }
    if (meaning.result == RequestResult::Registered) {
        exchange.address = meaning.address;
        ports.notices.SetTooltipText(kTooltipPrefix + meaning.address);
        const std::time_t now = ports.platform.clock.Now();
        exchange.recordWritten = ClientSettings(ports.settings)
                                     .WriteUpdateRecord({meaning.address, FormatLocalStamp(now), now},
                                                        std::pair(IndexedKey(SettingsKeys::kOutcome, number),
                                                                  FormatOutcome(exchange.outcome, entry)));
        if (exchange.recordWritten)
            ports.notices.LogExchange(MaskPassword(url), ExchangeOutcome::Answered, answer.line);
        else
            ports.notices.LogExchange(MaskPassword(url), ExchangeOutcome::RecordNotWritten,
                                      answer.line + " (the update record could not be written)");
        return exchange;
    }

    // An error page is read like any answer; the status says why it matched nothing.
    const std::string why = FailureText(answer.failure, answer.status);
    ports.notices.LogExchange(MaskPassword(url), ExchangeOutcome::Answered,
                              why.empty() ? answer.line : answer.line + " (" + why + ")");
    if (meaning.result == RequestResult::Refused) {
        // The answer comes back on every retry until the user acts: paused first, so that whatever shows the
        // message finds the pause in the file, and the message is shown once.
        ClientSettings(ports.settings).WritePause(number, entry, {meaning.refusal, ports.platform.clock.Now()});
        ports.notices.ShowAccountProblem({meaning.refusal, entry.domain, entry.topLevel, endpoints.RegistrationPage()});
    }
    return exchange;
}

} // namespace zelto
