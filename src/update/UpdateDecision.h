#pragma once

namespace zelto {

struct EnginePorts;

// 1 when a pass over the domains is due now: no record, the recorded address is not one of the machine's,
// or it was recorded in another clock hour, day or year (local time). 0 otherwise.
int IsUpdateDue(EnginePorts& ports);

} // namespace zelto
