#pragma once

namespace zelto {

struct EnginePorts;

// True (the 1 of the Windows client) when a pass over the domains is due now: no record, the recorded address
// is not one of the machine's, or it was recorded in another clock hour, day or year (local time).
bool IsUpdateDue(EnginePorts& ports);

} // namespace zelto
