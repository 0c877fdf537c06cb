#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

namespace zelto {

class StopSignal;

// What one GET brought back.
struct HttpFetch {
    // False when no response was obtained: no connection, reset, time-out, cancelled, or a first line
    // longer than the read limit.
    bool obtained = false;
    // The body's bytes before its first line feed (the whole body when it has none), carriage returns
    // included. The HTTP status is never looked at.
    std::string firstLine;
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
