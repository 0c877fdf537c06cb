#pragma once

#include "platform/HttpSession.h"

#include <string>

namespace zelto {

// Internet sessions through WinINet, the system's HTTP library, as the original client used it: a direct
// connection (no proxy), nothing written to the cache, the program's name as agent; WinINet follows
// redirects and keeps connections alive. A request ends as no response after the total time-out, or within
// a fraction of a second of the stop being raised.
class WinInetHttpSessionFactory : public HttpSessionFactory {
public:
    explicit WinInetHttpSessionFactory(std::string agent, HttpTimeouts timeouts = {});
    // "https://" servers are verified against the system's store, or, when `trust` names a CA file, against
    // that bundle alone.
    std::unique_ptr<HttpSession> Open(const StopSignal* stop = nullptr, const HttpTrust& trust = {}) override;

private:
    std::wstring agent_;
    HttpTimeouts timeouts_;
};

} // namespace zelto
