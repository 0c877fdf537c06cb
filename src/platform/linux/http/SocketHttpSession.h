#pragma once

#include "platform/HttpSession.h"

#include <memory>
#include <string>

namespace zelto {

// Internet sessions that speak HTTP/1.1 over plain sockets, which is all the service's URLs need: keep-alive,
// up to five redirects, the connect and total time-outs, and a stop that ends a request within 50 ms. Any
// URL it does not take itself ("https://", user information) goes to a session of `other`, opened when
// first needed.
class SocketHttpSessionFactory : public HttpSessionFactory {
public:
    // Other URLs go to libcurl, loaded from its module.
    explicit SocketHttpSessionFactory(std::string agent, HttpTimeouts timeouts = {});
    // Other URLs go to `other`; none when it is null.
    SocketHttpSessionFactory(std::string agent, HttpTimeouts timeouts, std::shared_ptr<HttpSessionFactory> other);
    std::unique_ptr<HttpSession> Open(const StopSignal* stop = nullptr, const HttpTrust& trust = {}) override;

private:
    std::string agent_;
    HttpTimeouts timeouts_;
    std::shared_ptr<HttpSessionFactory> other_;
};

} // namespace zelto
