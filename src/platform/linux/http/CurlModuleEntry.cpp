#include "platform/linux/http/CurlHttpSession.h"
#include "platform/linux/http/CurlModule.h"

#include <chrono>
#include <new>

extern "C" __attribute__((visibility("default"))) zelto::HttpSessionFactory*
zelto_create_curl_factory(const char* agent, long long connectMs, long long totalMs) {
    return new (std::nothrow) zelto::CurlHttpSessionFactory(
        agent, zelto::HttpTimeouts{std::chrono::milliseconds(connectMs), std::chrono::milliseconds(totalMs)});
}
