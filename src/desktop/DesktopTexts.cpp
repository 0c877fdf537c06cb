#include "desktop/DesktopTexts.h"

#include "config/PrintableText.h"
#include "settings/SettingsFile.h"

namespace zelto {

namespace {

const char* LogLabel(ExchangeOutcome outcome) {
    switch (WeightOf(outcome)) {
    case OutcomeWeight::Routine:
        return "";
    case OutcomeWeight::Warning:
        return "warning: ";
    case OutcomeWeight::Failure:
        break;
    }
    return "error: ";
}

} // namespace

std::string AccountProblemText(const AccountNotice& notice) {
    const std::string domain = notice.domain + "." + notice.topLevel;
    switch (notice.refusal) {
    case Refusal::Expired:
        return "Your subscription for " + domain + " has expired! Please visit " + notice.registrationPage +
               " to re-activate your subscription!";
    case Refusal::NoDomain:
        return "Domain *." + domain + " does not exist! Please visit " + notice.registrationPage +
               " to create your subscription or correct the domain in properties!";
    case Refusal::WrongPassword:
        break;
    }
    return "Password for domain *." + domain + " is incorrect! Please enter the correct password in properties!";
}

std::string WriteFailedText(const SettingsFile& settings) {
    const std::u8string path = settings.Path().u8string();
    return "The settings could not be saved to " + std::string(path.begin(), path.end()) + ".";
}

std::string ExchangeLogLine(const std::string& maskedUrl, ExchangeOutcome outcome, const std::string& text) {
    return LogLabel(outcome) + PrintableText(maskedUrl) + " -> " + PrintableText(ShortenedServerText(text));
}

} // namespace zelto
