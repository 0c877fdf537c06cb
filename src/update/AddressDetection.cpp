#include "update/AddressDetection.h"

#include "platform/HostAddresses.h"
#include "platform/HttpSession.h"
#include "platform/Notices.h"
#include "schema/ClientSettings.h"
#include "settings/SettingsFile.h"
#include "update/AddressFilter.h"
#include "update/DialUpGuard.h"
#include "update/EnginePorts.h"
#include "update/ExchangeFailure.h"
#include "update/FetchFirstLine.h"
#include "update/ServiceEndpoints.h"
#include "update/UpdateAnswer.h"

#include <algorithm>
#include <array>

namespace zelto {

namespace {

constexpr std::string_view kLoopback = "127.0.0.1";

// The last ordinary address; without one, the last reserved address that is not the loopback; else "".
// An ordinary address wins over a private one because the service could not reach a private one.
std::string ClientSideChoice(const std::vector<std::string>& addresses) {
    std::string lastOrdinary;
    std::string lastOther;
    for (const std::string& address : addresses) {
        if (address == kLoopback)
            continue;
        lastOther = address;
        if (!IsReservedAddress(address))
            lastOrdinary = address;
    }
    return lastOrdinary.empty() ? lastOther : lastOrdinary;
}

} // namespace

std::optional<std::string> CheckAddressWithService(EnginePorts& ports, const StopSignal* stop, HttpFailure* failure) {
    const ServiceEndpoints endpoints(ports.settings);
    const std::string url = endpoints.IpCheckUrl();
    const std::unique_ptr<HttpSession> session = ports.platform.http.Open(stop, endpoints.UpdateServerTrust());
    if (!session) {
        ports.notices.LogExchange(url, ExchangeOutcome::NoSession, "no answer (no internet session)");
        if (failure)
            *failure = HttpFailure::None;
        return std::nullopt;
    }
    DialUpGuard guard(ports.platform.autodial);
    guard.Engage();
    const FirstLine answer = FetchFirstLine(*session, url);
    guard.Release();
    if (!answer.obtained) {
        ports.notices.LogExchange(url, ExchangeOutcome::NoAnswer, NoAnswerText(answer.failure));
        if (failure)
            *failure = answer.failure;
        return std::nullopt;
    }
    ports.notices.LogExchange(url, ExchangeOutcome::Answered, answer.line);
    if (ClassifyAnswer(answer.line) != UpdateAnswer::Registered)
        return std::string();
    return RegisteredAddress(answer.line);
}

// The stored parts as signed decimal, unchecked: missing keys give 0.0.0.0.
std::string FixedAddressText(const ClientSettingsView& settings) {
    const std::array<int, 4> parts = settings.FixedAddress();
    return std::to_string(parts[0]) + "." + std::to_string(parts[1]) + "." + std::to_string(parts[2]) + "." +
           std::to_string(parts[3]);
}

bool IsReachableAddress(const std::array<int, 4>& parts) {
    const bool unspecified = parts == std::array<int, 4>{0, 0, 0, 0};
    const bool broadcast = parts == std::array<int, 4>{255, 255, 255, 255};
    return !unspecified && !broadcast && parts[0] != 127;
}

bool FixedAddressUnreachable(const SettingsFile& settings) {
    const SettingsFile::Lock lock(settings);
    const ClientSettingsView view(settings);
    return view.EngineMethod() == AddressMethod::Fixed && !IsReachableAddress(view.FixedAddress());
}

std::vector<std::string> ListClientAddresses(EnginePorts& ports) {
    return FilterAddressList(ports.settings, ports.platform.addresses.List());
}

DetectedAddress DetectCurrentAddress(EnginePorts& ports, const StopSignal* stop) {
    const std::vector<std::string> addresses = ListClientAddresses(ports);
    const ClientSettingsView settings(ports.settings);
    const AddressMethod method = settings.EngineMethod();
    if (method == AddressMethod::Fixed)
        return {FixedAddressText(settings), std::nullopt};
    if (method == AddressMethod::Both) {
        HttpFailure failure = HttpFailure::None;
        const std::optional<std::string> seen = CheckAddressWithService(ports, stop, &failure);
        if (!seen)
            return {"", failure};
        // Exact text match, no trimming: a server-seen address with anything after it matches nothing.
        if (!seen->empty() && std::find(addresses.begin(), addresses.end(), *seen) != addresses.end())
            return {*seen, std::nullopt};
    }
    return {ClientSideChoice(addresses), std::nullopt};
}

} // namespace zelto
