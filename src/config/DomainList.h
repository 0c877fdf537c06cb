#pragma once

#include <string>

namespace zelto {

class SettingsFile;

// What the three boxes of the Properties dialog hold.
struct DomainInput {
    std::string domain;   // "Domain" box: the name label, stored as second_level<N>
    std::string topLevel; // "Top Level" box, stored as first_level<N>
    std::string password; // "Password" box, at most 8 characters
};

struct DomainOutcome {
    bool carriedOut = false;  // false: refused by validation, nothing written
    std::string status;       // what the status box shows afterwards
    bool clearInputs = false; // Remove empties the three boxes
    bool writeFailed = false; // a settings write failed; nothing after it was written
};

inline constexpr int kMaxDomains = 999;

// Each operation holds the settings file's lock from its first read to its last write. Add refuses a
// 1000th entry ("Domain list is full!"), and labels longer than 68 characters or holding control characters
// with the box's validation message; Remove takes out the first matching entry only.
DomainOutcome OnAddDomain(SettingsFile& settings, const DomainInput& input);
DomainOutcome OnRemoveDomain(SettingsFile& settings, const DomainInput& input);
DomainOutcome OnClearAllDomains(SettingsFile& settings);

// "Domain a.com, b.net loaded." or "No Domains Loaded!".
std::string BuildDomainListText(const SettingsFile& settings);

// Shifts entries i+1..count down one place, then writes numofdomains = count-1. Stops at the first
// failed write (the count then stays as it was) and returns false.
bool RemoveDomainEntry(SettingsFile& settings, int count, int i);

} // namespace zelto
