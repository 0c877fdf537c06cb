#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace zelto {

struct EnginePorts;
class HookRunner;

// After a pass in which `registered` (names such as example.com) got an address: when the address now
// recorded differs from `previous`, the hookaddress read before the pass (the record's write notes the new
// one), starts the user's command, if one is set, with the new and the previous address. The hourly refresh
// of an unchanged address runs nothing.
void RunAddressHook(EnginePorts& ports, HookRunner& runner, const std::vector<std::string>& registered,
                    const std::string& previous, std::chrono::milliseconds timeout);

} // namespace zelto
