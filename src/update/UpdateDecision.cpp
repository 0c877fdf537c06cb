#include "update/UpdateDecision.h"

#include "platform/Clock.h"
#include "settings/SettingsFile.h"
#include "update/AddressDetection.h"
#include "update/EnginePorts.h"
#include "update/UpdateRecord.h"

#include <string>

namespace zelto {

namespace {

struct RecordedUpdate {
    std::string hour;
    std::string day;
    std::string year;
    std::string address;
};

RecordedUpdate ReadRecord(const SettingsFile& settings) {
    RecordedUpdate record;
    record.hour = settings.ReadText("updatedhour");
    record.day = settings.ReadText("updatedday");
    record.year = settings.ReadText("updatedyear");
    record.address = settings.ReadText("updatedip");
    return record;
}

} // namespace

int IsUpdateDue(EnginePorts& ports) {
    // One clock reading for the whole decision, so hour, day and year all belong to the same moment.
    const std::time_t now = ports.clock.Now();
    // The record and the ignore list are read as one state of the file: a registration being written is
    // seen whole or not at all, and one lock is cheaper than one per group of reads.
    SettingsFile::Lock lock(ports.settings);
    const RecordedUpdate record = ReadRecord(ports.settings);
    if (record.address.empty() || record.hour.empty() || record.day.empty() || record.year.empty())
        return 1;
    const std::vector<std::string> addresses = ListClientAddresses(ports);
    for (const std::string& address : addresses) {
        if (address != record.address)
            continue;
        // Text comparisons only: a record in another form ("7" for "07") is never current.
        const LocalStamp current = FormatLocalStamp(now);
        if (record.year != current.year || record.day != current.day || record.hour != current.hour)
            return 1;
        return 0;
    }
    return 1;
}

} // namespace zelto
