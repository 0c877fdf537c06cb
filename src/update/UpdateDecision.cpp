#include "update/UpdateDecision.h"

#include "platform/Clock.h"
#include "schema/ClientSettings.h"
#include "schema/UpdateRecord.h"
#include "settings/SettingsFile.h"
#include "update/AddressDetection.h"
#include "update/EnginePorts.h"

#include <algorithm>

namespace zelto {

RecordState JudgeRecord(EnginePorts& ports, std::vector<std::string>* addresses) {
    // One clock reading for the whole decision, so hour, day and year all belong to the same moment.
    const std::time_t now = ports.platform.clock.Now();
    // The record and the ignore list are read as one state of the file: a registration being written is
    // seen whole or not at all, and one lock is cheaper than one per group of reads.
    SettingsFile::Lock lock(ports.settings);
    const RecordedUpdate record = ClientSettingsView(ports.settings).UpdateRecord();
    if (!record.Complete())
        return RecordState::Due;
    const std::vector<std::string> own = ListClientAddresses(ports);
    if (addresses)
        *addresses = own;
    if (own.empty())
        return RecordState::Due;
    const LocalStamp current = FormatLocalStamp(now);
    if (record.time.year != current.year || record.time.day != current.day || record.time.hour != current.hour)
        return RecordState::Due;
    return std::find(own.begin(), own.end(), record.address) != own.end() ? RecordState::Current
                                                                          : RecordState::NotOwnAddress;
}

bool IsUpdateDue(EnginePorts& ports) {
    return JudgeRecord(ports) != RecordState::Current;
}

} // namespace zelto
