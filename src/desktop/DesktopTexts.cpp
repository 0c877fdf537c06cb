#include "desktop/DesktopTexts.h"

#include "settings/SettingsFile.h"
#include "update/PrintableText.h"

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

std::string WriteFailedText(const SettingsFile& settings) {
    const std::u8string path = settings.Path().u8string();
    return "The settings could not be saved to " + std::string(path.begin(), path.end()) + ".";
}

std::string ExchangeLogLine(const std::string& maskedUrl, ExchangeOutcome outcome, const std::string& text) {
    return LogLabel(outcome) + PrintableText(maskedUrl) + " -> " + PrintableText(ShortenedServerText(text));
}

} // namespace zelto
