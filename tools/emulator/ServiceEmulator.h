#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace zelto::emulator {

// One registered host name: second level "example", first level "com".
struct Account {
    std::string secondLevel;
    std::string firstLevel;
    std::string password;
    bool expired = false;
};

// How the emulator misbehaves, for fault tests. Applies to every page while set.
struct Fault {
    enum class Kind {
        None,
        Delay,              // answer normally, but only after `delay`
        CloseWithoutAnswer, // accept the request, then close the connection without a byte
        Response,           // answer `status` with `body` (and `location` for redirects) on every page
        LongLine,           // answer 200 with `longLineBytes` bytes and no line feed
        LongHead,           // answer normally after `longLineBytes` bytes of header lines
    };
    Kind kind = Kind::None;
    std::chrono::milliseconds delay{0};
    int status = 200;
    std::string body;
    std::string location;
    std::size_t longLineBytes = 0;
};

struct Options {
    int port = 0;                      // 0: pick a free one
    std::chrono::seconds lifetime{60}; // stops by itself after this
    // The address the service sees the client come from, as behind a router with that public address: what
    // ipcheck reports and what an update without an address registers. Empty: the peer's own address;
    // "@FILE": the first line of FILE, read at every request, so that the address can change while it runs.
    std::string publicAddress;
    bool log = false; // a line per request on stderr, password masked
};

// PEM files of a certificate (chain) and its key: given, the emulator serves https instead of http.
struct TlsFiles {
    std::string cert;
    std::string key;
};

// A stand-in for the Zelto Premium service on 127.0.0.1: update, initialize and ipcheck pages, and the web
// site's pages, over HTTP/1.1 with keep-alive, or over TLS when given a certificate. Serves on threads of its
// own from construction until Stop, destruction or the end of its lifetime. Throws when it cannot listen or
// cannot load the certificate.
class ServiceEmulator {
public:
    explicit ServiceEmulator(Options options = {}, TlsFiles tls = {});
    ~ServiceEmulator();
    ServiceEmulator(const ServiceEmulator&) = delete;
    ServiceEmulator& operator=(const ServiceEmulator&) = delete;

    int Port() const;
    std::string HostPort() const; // "127.0.0.1:PORT", what the "updateserver" and "website" keys take

    void AddAccount(const Account& account);
    void SetFault(const Fault& fault);
    void SetPublicAddress(const std::string& address); // as Options::publicAddress

    // The address registered for "example.com" (second level, ".", first level); "" when none.
    std::string RegisteredAddress(const std::string& host) const;
    int Requests() const;    // every request served, all pages
    int Connections() const; // every connection accepted
    // The header names of the last request served, in lower case and sorted: what a client sends.
    std::vector<std::string> LastHeaderNames() const;
    void Stop();
    void Wait(); // until stopped (by Stop or the lifetime)

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace zelto::emulator
