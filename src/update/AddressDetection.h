#pragma once

#include "platform/HttpSession.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace zelto {

struct EnginePorts;
class ClientSettingsView;
class SettingsFile;
class StopSignal;

// The machine's own addresses after the filter: ordinary ones first, reserved ones after.
std::vector<std::string> ListClientAddresses(EnginePorts& ports);

// The address the service's address check page sees us come from: nullopt when no answer came (why in
// `failure`, when given), "" for an answer that names no address. Opens a session of its own and closes it
// before returning.
std::optional<std::string> CheckAddressWithService(EnginePorts& ports, const StopSignal* stop = nullptr,
                                                   HttpFailure* failure = nullptr);

// The fixed address as stored, its parts as signed decimal, unchecked: missing keys give 0.0.0.0.
std::string FixedAddressText(const ClientSettingsView& settings);
// Whether anyone could reach a host at the address: not 0.0.0.0, 255.255.255.255 nor a loopback address.
// The service registers whatever it is sent, so these are refused before they go out.
bool IsReachableAddress(const std::array<int, 4>& parts);
// The stored method is Fixed, with an address no one can reach: nothing is sent.
bool FixedAddressUnreachable(const SettingsFile& settings);

// The address an update request carries for the stored address method, "" when there is none to send; or,
// when the service's address check got no answer at all, why: the update would get none either.
struct DetectedAddress {
    std::string address;
    std::optional<HttpFailure> unanswered;
};
DetectedAddress DetectCurrentAddress(EnginePorts& ports, const StopSignal* stop = nullptr);

} // namespace zelto
