#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace zelto {

struct EnginePorts;
class HookRunner;

// After a pass in which `registered` (names such as example.com) got an address: when the address now
// recorded differs from the one the command last ran for, notes the new one (a restart empties updatedip,
// so the previous address lives in a key of its own, written only when it changes) and starts the user's
// command, if one is set, with the new and the previous address. The hourly refresh of an unchanged address
// runs nothing.
void RunAddressHook(EnginePorts& ports, HookRunner& runner, const std::vector<std::string>& registered,
                    std::chrono::milliseconds timeout);

} // namespace zelto
