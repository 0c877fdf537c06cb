#pragma once

#include <string>
#include <vector>

namespace zelto {

struct EnginePorts;
class StopSignal;

// The machine's own addresses after the filter: ordinary ones first, reserved ones after.
std::vector<std::string> ListClientAddresses(EnginePorts& ports);

// The address an update request carries for the stored address method, or "" when there is none to send.
std::string DetectCurrentAddress(EnginePorts& ports, const StopSignal* stop = nullptr);

} // namespace zelto
