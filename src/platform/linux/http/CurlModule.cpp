#include "platform/linux/http/CurlModule.h"

#include "platform/linux/ProgramModule.h"

#include <cstdio>

namespace zelto {

CurlModuleFactory::~CurlModuleFactory() {
    // The module stays loaded until exit; only the factory made in it goes.
    delete curl_;
}

std::unique_ptr<HttpSession> CurlModuleFactory::Open(const StopSignal* stop, const HttpTrust& trust) {
    std::call_once(loaded_, [this] {
        ModuleProblem problem;
        auto* entry = FindModuleEntry<decltype(zelto_create_curl_factory)>(kCurlModuleName, kCurlEntryName, problem);
        if (entry)
            curl_ = entry(agent_.c_str(), timeouts_.connect.count(), timeouts_.total.count());
        if (!curl_)
            std::fprintf(stderr, "zelto: https and other non-plain URLs cannot be fetched: %s\n",
                         entry ? "libcurl did not start" : problem.detail.c_str());
    });
    return curl_ ? curl_->Open(stop, trust) : nullptr;
}

} // namespace zelto
