#include "schema/RequestOutcome.h"

#include "schema/DomainEntry.h"
#include "schema/DomainPause.h"

#include <charconv>
#include <utility>

namespace zelto {

namespace {

constexpr std::pair<RequestResult, std::string_view> kResultWords[] = {
    {RequestResult::Registered, "registered"},   {RequestResult::WrongPassword, "wrongpassword"},
    {RequestResult::Expired, "expired"},         {RequestResult::NoDomain, "nodomain"},
    {RequestResult::OtherAnswer, "otheranswer"}, {RequestResult::NoAnswer, "noanswer"},
};
constexpr std::pair<HttpFailure, std::string_view> kFailureWords[] = {
    {HttpFailure::None, "none"},
    {HttpFailure::NameNotResolved, "unresolved"},
    {HttpFailure::ConnectionRefused, "refused"},
    {HttpFailure::TimedOut, "timedout"},
    {HttpFailure::CertificateNotTrusted, "untrusted"},
    {HttpFailure::CertificateForAnotherName, "othername"},
    {HttpFailure::SecureChannelFailed, "tls"},
    {HttpFailure::TooManyRedirects, "redirects"},
    {HttpFailure::RedirectRefused, "redirectrefused"},
    {HttpFailure::AnswerTooLong, "toolong"},
    {HttpFailure::ConnectionBroken, "broken"},
    {HttpFailure::ErrorStatus, "status"},
    {HttpFailure::Stopped, "stopped"},
};

template <typename Value, std::size_t N>
std::string_view WordOf(const std::pair<Value, std::string_view> (&words)[N], Value value) {
    for (const auto& [known, word] : words)
        if (known == value)
            return word;
    return words[0].second;
}

template <typename Value, std::size_t N>
std::optional<Value> ValueOf(const std::pair<Value, std::string_view> (&words)[N], std::string_view word) {
    for (const auto& [value, known] : words)
        if (known == word)
            return value;
    return std::nullopt;
}

template <typename Number> bool ReadNumber(std::string_view text, Number& number) {
    long long read = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), read);
    number = static_cast<Number>(read);
    return error == std::errc() && end == text.data() + text.size();
}

} // namespace

std::string FormatOutcome(const RequestOutcome& outcome, const DomainEntry& entry) {
    return FormatOutcome(outcome, EntryFingerprint(entry));
}

std::optional<RequestOutcome> ParseOutcome(std::string_view stored, const DomainEntry& entry) {
    return ParseOutcome(stored, EntryFingerprint(entry));
}

std::string FormatOutcome(const RequestOutcome& outcome, std::string_view fingerprint) {
    return std::string(WordOf(kResultWords, outcome.result)) + " " +
           std::to_string(static_cast<long long>(outcome.when)) + " " +
           std::string(WordOf(kFailureWords, outcome.failure)) + " " + std::to_string(outcome.status) + " " +
           std::string(fingerprint);
}

std::optional<RequestOutcome> ParseOutcome(std::string_view stored, std::string_view fingerprint) {
    std::string_view fields[5];
    for (std::string_view& field : fields) {
        const std::size_t space = stored.find(' ');
        field = stored.substr(0, space);
        stored = space == std::string_view::npos ? std::string_view() : stored.substr(space + 1);
    }
    const std::optional<RequestResult> result = ValueOf(kResultWords, fields[0]);
    const std::optional<HttpFailure> failure = ValueOf(kFailureWords, fields[2]);
    RequestOutcome outcome;
    if (!result || !failure || !stored.empty() || fields[4] != fingerprint || !ReadNumber(fields[1], outcome.when) ||
        !ReadNumber(fields[3], outcome.status))
        return std::nullopt;
    outcome.result = *result;
    outcome.failure = *failure;
    return outcome;
}

std::string_view RequestResultKey(RequestResult result) {
    return WordOf(kResultWords, result);
}

} // namespace zelto
