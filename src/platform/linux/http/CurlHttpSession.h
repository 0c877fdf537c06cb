#pragma once

#include "platform/HttpSession.h"

#include <string>

namespace zelto {

// Internet sessions over libcurl.
class CurlHttpSessionFactory : public HttpSessionFactory {
public:
    explicit CurlHttpSessionFactory(std::string agent, HttpTimeouts timeouts = {});
    std::unique_ptr<HttpSession> Open(const StopSignal* stop = nullptr, const HttpTrust& trust = {}) override;

private:
    std::string agent_;
    HttpTimeouts timeouts_;
};

} // namespace zelto
