#pragma once

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

// The address the service's address check page sees us come from: nullopt when no answer came, "" for an
// answer that names no address. Opens a session of its own and closes it before returning.
std::optional<std::string> CheckAddressWithService(EnginePorts& ports, const StopSignal* stop = nullptr);

// The fixed address as stored, its parts as signed decimal, unchecked: missing keys give 0.0.0.0.
std::string FixedAddressText(const ClientSettingsView& settings);
// Whether anyone could reach a host at the address: not 0.0.0.0, 255.255.255.255 nor a loopback address.
// The service registers whatever it is sent, so these are refused before they go out.
bool IsReachableAddress(const std::array<int, 4>& parts);
// The stored method is Fixed, with an address no one can reach: nothing is sent.
bool FixedAddressUnreachable(const SettingsFile& settings);

// The address an update request carries for the stored address method, or "" when there is none to send.
std::string DetectCurrentAddress(EnginePorts& ports, const StopSignal* stop = nullptr);

} // namespace zelto
