#include "platform/linux/http/CurlHttpSession.h"
#include "platform/linux/http/CurlModule.h"

#include <chrono>
#include <new>

namespace zelto {
namespace {

// The program may carry a C++ runtime of its own (linked statically), whose exception handling is not this
// module's: every call from the program returns here, and a failure inside reads as no answer or no session.
class GuardedSession : public HttpSession {
public:
    explicit GuardedSession(std::unique_ptr<HttpSession> inner) : inner_(std::move(inner)) {}
    HttpFetch Get(const std::string& url) override {
        try {
            return inner_->Get(url);
        } catch (...) {
            return {};
        }
    }

private:
    std::unique_ptr<HttpSession> inner_;
};

class GuardedFactory : public HttpSessionFactory {
public:
    GuardedFactory(const char* agent, HttpTimeouts timeouts) : inner_(agent, timeouts) {}
    std::unique_ptr<HttpSession> Open(const StopSignal* stop, const HttpTrust& trust) override {
        try {
            std::unique_ptr<HttpSession> session = inner_.Open(stop, trust);
            return session ? std::make_unique<GuardedSession>(std::move(session)) : nullptr;
        } catch (...) {
            return nullptr;
        }
    }

private:
    CurlHttpSessionFactory inner_;
};

} // namespace
} // namespace zelto

extern "C" __attribute__((visibility("default"))) zelto::HttpSessionFactory*
zelto_create_curl_factory(const char* agent, long long connectMs, long long totalMs) {
    try {
        return new zelto::GuardedFactory(
            agent, zelto::HttpTimeouts{std::chrono::milliseconds(connectMs), std::chrono::milliseconds(totalMs)});
    } catch (...) {
        return nullptr;
    }
}
