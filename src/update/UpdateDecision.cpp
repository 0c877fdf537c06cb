#include "update/UpdateDecision.h"

#include "platform/Clock.h"
#include "settings/SettingsFile.h"
#include "update/AddressDetection.h"
#include "update/ClientSettings.h"
#include "update/EnginePorts.h"
#include "update/UpdateRecord.h"

#include <string>

namespace zelto {

bool IsUpdateDue(EnginePorts& ports) {
    // One clock reading for the whole decision, so hour, day and year all belong to the same moment.
    const std::time_t now = ports.platform.clock.Now();
    // The record and the ignore list are read as one state of the file: a registration being written is
    // seen whole or not at all, and one lock is cheaper than one per group of reads.
    SettingsFile::Lock lock(ports.settings);
    const RecordedUpdate record = ClientSettingsView(ports.settings).UpdateRecord();
    if (!record.Complete())
        return true;
    const std::vector<std::string> addresses = ListClientAddresses(ports);
    for (const std::string& address : addresses) {
        if (address != record.address)
            continue;
        // Text comparisons only: a record in another form ("7" for "07") is never current.
        const LocalStamp current = FormatLocalStamp(now);
        return record.time.year != current.year || record.time.day != current.day || record.time.hour != current.hour;
    }
    return true;
}

} // namespace zelto
