#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

namespace zelto {

class StopSignal;

// Why a GET brought no answer, or an answer with an error status: for the people reading the log and the
// status report. Each HTTP client sets it from its own error codes, never from an error's text.
enum class HttpFailure {
    None,                      // answered with a status below 400
    NameNotResolved,           // the server's name has no address
    ConnectionRefused,         // nothing listens at the server's port
    TimedOut,                  // no connection or no full answer in time
    CertificateNotTrusted,     // TLS: no trusted authority vouches for the server's certificate
    CertificateForAnotherName, // TLS: the certificate is made out for another host
    SecureChannelFailed,       // TLS failed otherwise (protocol, expired certificate)
    TooManyRedirects,          // more redirects than a session follows
    RedirectRefused,           // a redirect to plain http from https, or to a protocol the session does not speak
    AnswerTooLong,             // the head outside the body, or the body's first line, outgrew its limit
    ConnectionBroken,          // the connection failed or ended early, or the answer was unreadable
    ErrorStatus,               // answered with a status of 400 or above (HttpFetch::status)
    Stopped,                   // the client was stopping
};

// What one GET brought back.
struct HttpFetch {
    // False when no response was obtained: no connection, reset, time-out, cancelled, or a first line
    // longer than the read limit.
    bool obtained = false;
    // The body's bytes before its first line feed (the whole body when it has none), carriage returns
    // included. The HTTP status never changes how the line is read.
    std::string firstLine;
    HttpFailure failure = HttpFailure::None; // ErrorStatus is the only failure with obtained set
    int status = 0;                          // the final HTTP status; 0 without a response

    // An obtained answer, its failure set from its status.
    static HttpFetch Answered(std::string line, int status) {
        return {true, std::move(line), status >= 400 ? HttpFailure::ErrorStatus : HttpFailure::None, status};
    }
    static HttpFetch Failed(HttpFailure why) { return {false, {}, why, 0}; }
};

// An open internet session: direct access (no proxy, whatever the environment says), no cache, the
// application's name as agent, redirects followed. Requests to the same server reuse one connection.
class HttpSession {
public:
    HttpSession() = default;
    virtual ~HttpSession() = default;
    HttpSession(const HttpSession&) = delete;
    HttpSession& operator=(const HttpSession&) = delete;

    // Sends a GET for url and reads up to the end of the body's first line.
    virtual HttpFetch Get(const std::string& url) = 0;
};

// Whom a server reached over TLS must be vouched for by. Its certificate and host name are always verified.
struct HttpTrust {
    std::string caFile; // a PEM bundle that replaces the system's trust store; empty: the system's store

    bool operator==(const HttpTrust&) const = default;
};

// The agent name sent with every request: the program's name with each byte outside printable ASCII
// dropped, since the name the program was started as could otherwise end the header and add others.
inline std::string HttpAgentName(std::string_view programName) {
    std::string agent;
    for (const char c : programName)
        if (c >= 0x20 && c <= 0x7e)
            agent += c;
    return agent.empty() ? std::string("zelto-premium") : agent;
}

struct HttpTimeouts {
    std::chrono::milliseconds connect{30000};
    std::chrono::milliseconds total{60000};
};

// Opens internet sessions.
class HttpSessionFactory {
public:
    HttpSessionFactory() = default;
    virtual ~HttpSessionFactory() = default;
    HttpSessionFactory(const HttpSessionFactory&) = delete;
    HttpSessionFactory& operator=(const HttpSessionFactory&) = delete;

    // A new session, or nullptr when none can be opened. When stop is given, a request in flight ends
    // (as no response) within a fraction of a second of the stop being raised, and later ones fail at once.
    // Its "https://" requests trust what `trust` says, and are never redirected to plain http.
    virtual std::unique_ptr<HttpSession> Open(const StopSignal* stop = nullptr, const HttpTrust& trust = {}) = 0;
};

} // namespace zelto
