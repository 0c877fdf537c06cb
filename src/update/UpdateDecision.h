#pragma once

#include <string>
#include <vector>

namespace zelto {

struct EnginePorts;

// What the update record says about now.
enum class RecordState {
    Current,       // the recorded address is one of the machine's, recorded in this clock hour
    Due,           // no record, no address of the machine's, or recorded in another hour, day or year
    NotOwnAddress, // recorded in this hour, but not one of the machine's addresses: behind address translation
};

// Reads the record and the machine's address list (left in `addresses` when given). Text comparisons only:
// a record in another form ("7" for "07") is never current.
RecordState JudgeRecord(EnginePorts& ports, std::vector<std::string>* addresses = nullptr);

// True (the 1 of the Windows client) when a pass over the domains is due by the record alone: anything but
// Current.
bool IsUpdateDue(EnginePorts& ports);

} // namespace zelto
