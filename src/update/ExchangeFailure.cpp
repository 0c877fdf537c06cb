#include "update/ExchangeFailure.h"

namespace zelto {

std::string FailureText(HttpFailure failure, int status) {
    switch (failure) {
    case HttpFailure::None:
        return {};
    case HttpFailure::NameNotResolved:
        return "the server's name was not resolved";
    case HttpFailure::ConnectionRefused:
        return "connection refused";
    case HttpFailure::TimedOut:
        return "timed out";
    case HttpFailure::CertificateNotTrusted:
        return "the server's certificate is not trusted";
    case HttpFailure::CertificateForAnotherName:
        return "the server's certificate is for another name";
    case HttpFailure::SecureChannelFailed:
        return "the secure connection failed";
    case HttpFailure::TooManyRedirects:
        return "too many redirects";
    case HttpFailure::RedirectRefused:
        return "a redirect to plain http or another protocol was refused";
    case HttpFailure::AnswerTooLong:
        return "the answer is too long";
    case HttpFailure::ErrorStatus:
        return "HTTP status " + std::to_string(status);
    case HttpFailure::Stopped:
        return "stopped";
    case HttpFailure::ConnectionBroken:
        break;
    }
    return "the connection failed";
}

std::string NoAnswerText(HttpFailure failure) {
    const std::string why = FailureText(failure, 0);
    return why.empty() ? "no answer" : "no answer (" + why + ")";
}

} // namespace zelto
