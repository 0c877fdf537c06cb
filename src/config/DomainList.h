#pragma once

#include "schema/ClientSettings.h"

#include <cstddef>
#include <string>

namespace zelto {

class SettingsFile;

// A password's length; the Properties dialog's box takes no more than the longest.
inline constexpr std::size_t kPasswordMinLength = 6;
inline constexpr std::size_t kPasswordMaxLength = 8;

// What the three boxes of the Properties dialog hold: "Domain", "Top Level" and "Password" (at most 8 characters).
using DomainInput = DomainEntry;

struct DomainOutcome {
    bool carriedOut = false;  // false: refused by validation, nothing written
    std::string status;       // what the status box shows afterwards
    bool clearInputs = false; // Remove empties the three boxes
    bool writeFailed = false; // a settings write failed; nothing after it was written
    bool notFound = false;    // no entry matched
};

// Each operation holds the settings file's lock (a ChangeLock) from its first read to its last write, and
// fails with writeFailed, writing nothing, when the lock cannot be taken. Add with labels already listed
// (whatever their letter case) gives every entry with them the new password and lifts its pause instead of
// adding a copy; otherwise it refuses a 1000th entry ("Domain list is full!"), and labels longer than 68 characters or
// holding control characters with the box's validation message; Remove takes out the first entry that reads the same
// (SettingsText.h), even where its bytes differ. Remove and Clear leave no password of a removed entry in the file.
DomainOutcome AddDomain(SettingsFile& settings, const DomainInput& input);
DomainOutcome RemoveDomain(SettingsFile& settings, const DomainInput& input);
DomainOutcome ClearDomains(SettingsFile& settings);
// Gives every entry with the input's two labels the input's password (6 to 8 characters, as Add checks it);
// carriedOut is false when no entry has those labels.
DomainOutcome ChangeDomainPassword(SettingsFile& settings, const DomainInput& input);

// Add and Remove for text as typed (UTF-8), turned into the settings' bytes first (SettingsText.h): a
// character the settings cannot hold refuses the operation with a message naming it.
DomainOutcome AddTypedDomain(SettingsFile& settings, const DomainInput& typed);
DomainOutcome RemoveTypedDomain(SettingsFile& settings, const DomainInput& typed);

// Whether two entries name the same host: the same labels, whatever their letter case.
bool SameDomainLabels(const DomainEntry& a, const DomainEntry& b);

// "Domain a.com, b.net loaded." or "No Domains Loaded!".
std::string BuildDomainListText(const SettingsFile& settings);

} // namespace zelto
