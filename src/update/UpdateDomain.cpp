#include "update/UpdateDomain.h"

#include "platform/Clock.h"
#include "platform/Notices.h"
#include "schema/ClientSettings.h"
#include "schema/UpdateRecord.h"
#include "update/DialUpGuard.h"
#include "update/EnginePorts.h"
#include "update/ExchangeFailure.h"
#include "update/FetchFirstLine.h"
#include "update/ServiceEndpoints.h"
#include "update/UpdateAnswer.h"

namespace zelto {

namespace {

constexpr const char* kTooltipPrefix = "Zelto Premium Online! IP Address->";

std::string MessageFor(UpdateAnswer answer, const std::string& domain, const std::string& registrationPage) {
    switch (answer) {
    case UpdateAnswer::Expired:
        return "Your subscription for " + domain + " has expired! Please visit " + registrationPage +
               " to re-activate your subscription!";
    case UpdateAnswer::NoDomain:
        return "Domain *." + domain + " does not exist! Please visit " + registrationPage +
               " to create your subscription or correct the domain in properties!";
    case UpdateAnswer::WrongPassword:
        return "Password for domain *." + domain + " is incorrect! Please enter the correct password in properties!";
    case UpdateAnswer::Registered:
    case UpdateAnswer::Ignored:
        break;
    }
    return {};
}

AccountNotice::Problem ProblemOf(UpdateAnswer answer) {
    return answer == UpdateAnswer::Expired    ? AccountNotice::Problem::Expired
           : answer == UpdateAnswer::NoDomain ? AccountNotice::Problem::NoDomain
                                              : AccountNotice::Problem::WrongPassword;
}

} // namespace

DomainExchange UpdateDomain(EnginePorts& ports, HttpSession& session, const std::string& firstLevel,
                            const std::string& secondLevel, const std::string& password, const std::string& address,
                            const WrittenWithRecord& withRecord) {
    const ServiceEndpoints endpoints(ports.settings);
    const std::string url = endpoints.UpdateUrl(firstLevel, secondLevel, password, address);

    // Released on every way out, and only after a message box has been closed.
    DialUpGuard guard(ports.platform.autodial);
    guard.Engage();
    const FirstLine answer = FetchFirstLine(session, url);
    DomainExchange exchange{answer.obtained, answer.line, false, answer.failure, answer.status};
    if (!answer.obtained) {
        ports.notices.LogExchange(MaskPassword(url), ExchangeOutcome::NoAnswer, NoAnswerText(answer.failure));
        return exchange;
    }

    const UpdateAnswer meaning = ClassifyAnswer(answer.line);
    if (meaning == UpdateAnswer::Registered && !IsRecordableAddress(RegisteredAddress(answer.line))) {
        ports.notices.LogExchange(MaskPassword(url), ExchangeOutcome::NotAnAddress,
                                  answer.line + " (not an address; nothing recorded)");
        return exchange;
    }
    if (meaning == UpdateAnswer::Registered) {
        const std::string registered = RegisteredAddress(answer.line);
        ports.notices.SetTooltipText(kTooltipPrefix + registered);
        std::optional<std::pair<std::string, std::string>> also;
        if (withRecord)
            also = withRecord(exchange);
        const std::time_t now = ports.platform.clock.Now();
        exchange.recordWritten =
            ClientSettings(ports.settings).WriteUpdateRecord({registered, FormatLocalStamp(now), now}, also);
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
    const std::string message = MessageFor(meaning, secondLevel + "." + firstLevel, endpoints.RegistrationPage());
    if (!message.empty())
        ports.notices.ShowAccountProblem(
            {ProblemOf(meaning), secondLevel, firstLevel, endpoints.RegistrationPage(), message});
    return exchange;
}

RequestOutcome OutcomeOf(const DomainExchange& exchange, UpdateAnswer meaning, std::time_t now) {
    RequestOutcome outcome{RequestResult::NoAnswer, exchange.failure, exchange.status, now};
    if (!exchange.obtained)
        return outcome;
    switch (meaning) {
    case UpdateAnswer::Registered:
        outcome.result = IsRecordableAddress(RegisteredAddress(exchange.line)) ? RequestResult::Registered
                                                                               : RequestResult::OtherAnswer;
        break;
    case UpdateAnswer::WrongPassword:
        outcome.result = RequestResult::WrongPassword;
        break;
    case UpdateAnswer::Expired:
        outcome.result = RequestResult::Expired;
        break;
    case UpdateAnswer::NoDomain:
        outcome.result = RequestResult::NoDomain;
        break;
    case UpdateAnswer::Ignored:
        outcome.result = RequestResult::OtherAnswer;
        break;
    }
    return outcome;
}

} // namespace zelto
