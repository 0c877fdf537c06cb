#include "update/AddressDetection.h"

#include "platform/HostAddresses.h"
#include "platform/HttpSession.h"
#include "platform/Notices.h"
#include "settings/SettingsFile.h"
#include "update/AddressFilter.h"
#include "update/DialUpGuard.h"
#include "update/EnginePorts.h"
#include "update/FetchFirstLine.h"
#include "update/ServiceEndpoints.h"
#include "update/UpdateAnswer.h"

#include <algorithm>

namespace zelto {

namespace {

constexpr std::string_view kLoopback = "127.0.0.1";

// The address the update server sees us come from, as its address check page says; "" when there is no
// usable answer. Opens a session of its own and closes it before returning.
std::string AskServerForAddress(EnginePorts& ports, const StopSignal* stop) {
    const ServiceEndpoints endpoints(ports.settings);
    const std::string url = endpoints.IpCheckUrl();
    const std::unique_ptr<HttpSession> session = ports.http.Open(stop, endpoints.UpdateServerTrust());
    if (!session) {
        ports.notices.LogExchange(url, "no answer (no internet session)");
        return {};
    }
    DialUpGuard guard(ports.autodial);
    guard.Engage();
    const FirstLine answer = FetchFirstLine(*session, url);
    guard.Release();
    ports.notices.LogExchange(url, answer.obtained ? answer.line : "no answer");
    if (!answer.obtained || ClassifyAnswer(answer.line) != UpdateAnswer::Registered)
        return {};
    return RegisteredAddress(answer.line);
}

// "one" to "four" as signed decimal, unchecked: missing keys give 0.0.0.0.
std::string FixedAddress(const SettingsFile& settings) {
    SettingsFile::Lock lock(settings);
    return std::to_string(settings.ReadInt("one", 0)) + "." + std::to_string(settings.ReadInt("two", 0)) + "." +
           std::to_string(settings.ReadInt("three", 0)) + "." + std::to_string(settings.ReadInt("four", 0));
}

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

std::vector<std::string> ListClientAddresses(EnginePorts& ports) {
    return FilterAddressList(ports.settings, ports.addresses.List());
}

std::string DetectCurrentAddress(EnginePorts& ports, const StopSignal* stop) {
    const std::vector<std::string> addresses = ListClientAddresses(ports);
    const int method = ports.settings.ReadInt("ipmethod", 0);
    if (method == 3)
        return FixedAddress(ports.settings);
    if (method == 2) {
        // Exact text match, no trimming: a server-seen address with anything after it matches nothing.
        const std::string seen = AskServerForAddress(ports, stop);
        if (!seen.empty() && std::find(addresses.begin(), addresses.end(), seen) != addresses.end())
            return seen;
    }
    return ClientSideChoice(addresses);
}

} // namespace zelto
