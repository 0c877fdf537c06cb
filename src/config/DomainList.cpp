#include "config/DomainList.h"

#include "settings/SettingsFile.h"

#include <algorithm>

namespace zelto {

namespace {

constexpr const char* kCountKey = "numofdomains";
constexpr const char* kEntryKeys[] = {"first_level", "second_level", "password"};

// Line breaks and other control characters would break the settings file's line structure; the dialog's
// single-line boxes cannot hold them, so refusing them changes nothing a user of the dialog can do.
bool HasControlCharacter(const std::string& text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7f;
    });
}

// A label longer than a settings read returns would come back cut short: updates would go out for another
// name, and Remove could never match what was typed.
bool IsValidLabel(const std::string& label) {
    return !label.empty() && label.size() <= SettingsFile::kMaxTextLength &&
           label.find_first_of(" '") == std::string::npos && !HasControlCharacter(label);
}

bool IsValidPassword(const std::string& password) {
    return password.size() >= 6 && password.size() <= 8 && !HasControlCharacter(password);
}

// A count below zero can only come from a hand-edited file; it holds no live entry.
int ReadCount(const SettingsFile& settings) {
    return std::max(0, settings.ReadInt(kCountKey, 0));
}

DomainOutcome Refused(std::string status) {
    DomainOutcome outcome;
    outcome.status = std::move(status);
    return outcome;
}

} // namespace

DomainOutcome OnAddDomain(SettingsFile& settings, const DomainInput& input) {
    if (!IsValidLabel(input.domain))
        return Refused("Invalid Domain Name!");
    if (!IsValidLabel(input.topLevel))
        return Refused("Invalid Top Level");
    if (!IsValidPassword(input.password))
        return Refused("Password must be 6-8 characters!");

    SettingsFile::Lock lock(settings);
    const int count = ReadCount(settings);
    if (count >= kMaxDomains)
        return Refused("Domain list is full!");

    // The entry first, the count last: a reader never sees a count that covers an unwritten entry.
    const int n = count + 1;
    DomainOutcome outcome;
    outcome.writeFailed =
        !(settings.WriteText(IndexedKey("first_level", n), input.topLevel) &&
          settings.WriteText(IndexedKey("second_level", n), input.domain) &&
          settings.WriteText(IndexedKey("password", n), input.password) && settings.WriteInt(kCountKey, n));
    outcome.carriedOut = !outcome.writeFailed;
    outcome.status = BuildDomainListText(settings);
    return outcome;
}

DomainOutcome OnRemoveDomain(SettingsFile& settings, const DomainInput& input) {
    SettingsFile::Lock lock(settings);
    const int count = ReadCount(settings);
    DomainOutcome outcome;
    for (int i = 1; i <= count; ++i) {
        if (settings.ReadText(IndexedKey("first_level", i)) == input.topLevel &&
            settings.ReadText(IndexedKey("second_level", i)) == input.domain &&
            settings.ReadText(IndexedKey("password", i)) == input.password) {
            outcome.writeFailed = !RemoveDomainEntry(settings, count, i);
            outcome.carriedOut = !outcome.writeFailed;
            break;
        }
    }
    outcome.status = BuildDomainListText(settings);
    outcome.clearInputs = true;
    return outcome;
}

DomainOutcome OnClearAllDomains(SettingsFile& settings) {
    SettingsFile::Lock lock(settings);
    DomainOutcome outcome;
    outcome.writeFailed = !settings.WriteInt(kCountKey, 0);
    outcome.carriedOut = !outcome.writeFailed;
    outcome.status = BuildDomainListText(settings);
    return outcome;
}

std::string BuildDomainListText(const SettingsFile& settings) {
    SettingsFile::Lock lock(settings);
    const int count = ReadCount(settings);
    if (count == 0)
        return "No Domains Loaded!";
    std::string text = "Domain ";
    for (int n = 1; n <= count; ++n)
        text += settings.ReadText(IndexedKey("second_level", n)) + "." +
                settings.ReadText(IndexedKey("first_level", n)) + ", ";
    // The whole trailing run of commas and spaces goes, including any that ended the last top level.
    text.erase(text.find_last_not_of(", ") + 1);
    return text + " loaded.";
}

bool RemoveDomainEntry(SettingsFile& settings, int count, int i) {
    SettingsFile::Lock lock(settings);
    for (int j = i + 1; j <= count; ++j) {
        for (const char* base : kEntryKeys) {
            if (!settings.WriteText(IndexedKey(base, j - 1), settings.ReadText(IndexedKey(base, j))))
                return false;
        }
    }
    return settings.WriteInt(kCountKey, count - 1);
}

} // namespace zelto
