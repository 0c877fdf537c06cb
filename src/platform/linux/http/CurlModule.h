#pragma once

#include "platform/HttpSession.h"

#include <mutex>
#include <string>

// The one entry point of the libcurl module (libzelto-curl.so), looked up by name after dlopen: libcurl and
// its TLS libraries are loaded only by a process that meets a URL the socket session does not handle.
extern "C" zelto::HttpSessionFactory* zelto_create_curl_factory(const char* agent, long long connectMs,
                                                                long long totalMs);

namespace zelto {

inline constexpr const char* kCurlModuleName = "libzelto-curl.so";
inline constexpr const char* kCurlEntryName = "zelto_create_curl_factory";

// Sessions over libcurl, from the module, loaded at the first Open. When it cannot be loaded, every Open
// gives null, and the reason is printed once on standard error.
class CurlModuleFactory : public HttpSessionFactory {
public:
    CurlModuleFactory(std::string agent, HttpTimeouts timeouts) : agent_(std::move(agent)), timeouts_(timeouts) {}
    ~CurlModuleFactory() override;
    std::unique_ptr<HttpSession> Open(const StopSignal* stop = nullptr, const HttpTrust& trust = {}) override;

private:
    std::string agent_;
    HttpTimeouts timeouts_;
    std::once_flag loaded_;
    HttpSessionFactory* curl_ = nullptr;
};

} // namespace zelto
