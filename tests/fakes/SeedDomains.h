#pragma once

#include "schema/ClientSettings.h"

#include <vector>

namespace zelto::fakes {

// The file's domain list made `entries`, through the schema as the dialogs write it; false when a write failed.
inline bool SeedDomains(SettingsFile& file, const std::vector<DomainEntry>& entries) {
    ClientSettings settings(file);
    bool written = settings.ClearDomains();
    for (const DomainEntry& entry : entries)
        written = written && settings.AppendDomain(entry) == ClientSettings::Append::Done;
    return written;
}

} // namespace zelto::fakes
