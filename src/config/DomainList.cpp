#include "config/DomainList.h"

#include "platform/SettingsText.h"
#include "settings/SettingsFile.h"

#include <algorithm>
#include <cctype>
#include <optional>

namespace zelto {

namespace {

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

// Counted in characters, as the user typed them: "passwört" is 8, whatever its bytes.
bool IsValidPassword(const std::string& password) {
    const std::size_t length = CharacterCount(password);
    return length >= kPasswordMinLength && length <= kPasswordMaxLength && !HasControlCharacter(password);
}

// The same text as a user reads it: a value typed on Linux in UTF-8 matches one the original client wrote
// in Windows-1252.
bool SameEntry(const DomainEntry& stored, const DomainInput& input) {
    const auto same = [](const std::string& a, const std::string& b) { return a == b || ShownText(a) == ShownText(b); };
    return same(stored.domain, input.domain) && same(stored.topLevel, input.topLevel) &&
           same(stored.password, input.password);
}

// The boxes' typed text in the settings' bytes; false, with the refusal, for a character they cannot hold.
bool StoreTyped(const DomainInput& typed, DomainInput& stored, DomainOutcome& refusal) {
    for (auto [from, to] : {std::pair{&typed.domain, &stored.domain}, std::pair{&typed.topLevel, &stored.topLevel},
                            std::pair{&typed.password, &stored.password}}) {
        StoredText text = ToStoredText(*from);
        if (!text.unstorable.empty()) {
            refusal.status = UnstorableCharacterText(text.unstorable);
            return false;
        }
        *to = std::move(text.bytes);
    }
    return true;
}

DomainOutcome Refused(std::string status) {
    DomainOutcome outcome;
    outcome.status = std::move(status);
    return outcome;
}

// The input's password for every entry with its labels, each pause lifted, in one change of the file;
// nullopt when no entry has them.
std::optional<DomainOutcome> ReplacePassword(SettingsFile& settings, const DomainInput& input) {
    SettingsFile::Change change(settings);
    ClientSettings schema(settings);
    const std::vector<DomainEntry> entries = schema.Domains();
    std::string name;
    bool written = static_cast<bool>(change);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (!SameDomainLabels(entries[i], input))
            continue;
        const int number = static_cast<int>(i) + 1;
        written = written && schema.WritePassword(number, input.password) && schema.ClearPause(number);
        name = entries[i].domain + "." + entries[i].topLevel;
    }
    if (name.empty())
        return std::nullopt;
    DomainOutcome outcome;
    outcome.writeFailed = !written || !change.Commit();
    outcome.carriedOut = !outcome.writeFailed;
    outcome.status = outcome.carriedOut ? name + " was already in the list: its password is replaced."
                                        : BuildDomainListText(settings);
    return outcome;
}

} // namespace

bool SameDomainLabels(const DomainEntry& a, const DomainEntry& b) {
    // DNS ignores letter case.
    const auto same = [](const std::string& x, const std::string& y) {
        const std::string shownX = ShownText(x), shownY = ShownText(y);
        return std::equal(shownX.begin(), shownX.end(), shownY.begin(), shownY.end(),
                          [](unsigned char l, unsigned char r) { return std::tolower(l) == std::tolower(r); });
    };
    return same(a.domain, b.domain) && same(a.topLevel, b.topLevel);
}

DomainOutcome AddDomain(SettingsFile& settings, const DomainInput& input) {
    if (!IsValidLabel(input.domain))
        return Refused("Invalid Domain Name!");
    if (!IsValidLabel(input.topLevel))
        return Refused("Invalid Top Level");
    if (!IsValidPassword(input.password))
        return Refused("Password must be 6-8 characters!");

    const SettingsFile::ChangeLock lock(settings);
    if (lock) {
        // Adding a name already listed is how a desktop user corrects its password: the entry (and any copy an
        // older version added) takes the new one, and its pause ends.
        if (std::optional<DomainOutcome> replaced = ReplacePassword(settings, input))
            return *replaced;
    }
    const ClientSettings::Append appended =
        lock ? ClientSettings(settings).AppendDomain(input) : ClientSettings::Append::WriteFailed;
    if (appended == ClientSettings::Append::Full)
        return Refused("Domain list is full!");
    DomainOutcome outcome;
    outcome.writeFailed = appended == ClientSettings::Append::WriteFailed;
    outcome.carriedOut = !outcome.writeFailed;
    outcome.status = BuildDomainListText(settings);
    return outcome;
}

DomainOutcome RemoveDomain(SettingsFile& settings, const DomainInput& input) {
    const SettingsFile::ChangeLock lock(settings);
    ClientSettings schema(settings);
    const std::vector<DomainEntry> entries = schema.Domains();
    DomainOutcome outcome;
    const auto match =
        std::find_if(entries.begin(), entries.end(), [&](const DomainEntry& entry) { return SameEntry(entry, input); });
    if (!lock) {
        outcome.writeFailed = true;
    } else if (match != entries.end()) {
        outcome.writeFailed = !schema.RemoveDomainAt(static_cast<int>(match - entries.begin()) + 1);
        outcome.carriedOut = !outcome.writeFailed;
    } else {
        outcome.notFound = true;
    }
    outcome.status = BuildDomainListText(settings);
    outcome.clearInputs = true;
    return outcome;
}

DomainOutcome ChangeDomainPassword(SettingsFile& settings, const DomainInput& input) {
    if (!IsValidPassword(input.password))
        return Refused("Password must be 6-8 characters!");
    const SettingsFile::ChangeLock lock(settings);
    ClientSettings schema(settings);
    const std::vector<DomainEntry> entries = schema.Domains();
    DomainOutcome outcome;
    outcome.writeFailed = !lock;
    for (std::size_t i = 0; lock && !outcome.writeFailed && i < entries.size(); ++i) {
        if (entries[i].domain != input.domain || entries[i].topLevel != input.topLevel)
            continue;
        outcome.writeFailed = !schema.WritePassword(static_cast<int>(i) + 1, input.password);
        outcome.carriedOut = !outcome.writeFailed;
    }
    outcome.notFound = lock && !outcome.writeFailed && !outcome.carriedOut;
    outcome.status = outcome.carriedOut ? "Password changed for " + input.domain + "." + input.topLevel + "."
                                        : BuildDomainListText(settings);
    return outcome;
}

DomainOutcome ClearDomains(SettingsFile& settings) {
    const SettingsFile::ChangeLock lock(settings);
    DomainOutcome outcome;
    outcome.writeFailed = !lock || !ClientSettings(settings).ClearDomains();
    outcome.carriedOut = !outcome.writeFailed;
    outcome.status = BuildDomainListText(settings);
    return outcome;
}

DomainOutcome AddTypedDomain(SettingsFile& settings, const DomainInput& typed) {
    DomainInput stored;
    DomainOutcome refusal;
    return StoreTyped(typed, stored, refusal) ? AddDomain(settings, stored) : refusal;
}

DomainOutcome RemoveTypedDomain(SettingsFile& settings, const DomainInput& typed) {
    DomainInput stored;
    DomainOutcome refusal;
    return StoreTyped(typed, stored, refusal) ? RemoveDomain(settings, stored) : refusal;
}

std::string BuildDomainListText(const SettingsFile& settings) {
    const std::vector<DomainEntry> entries = ClientSettingsView(settings).Domains();
    if (entries.empty())
        return "No Domains Loaded!";
    std::string text = "Domain ";
    for (const DomainEntry& entry : entries)
        text += entry.domain + "." + entry.topLevel + ", ";
    // The whole trailing run of commas and spaces goes, including any that ended the last top level.
    text.erase(text.find_last_not_of(", ") + 1);
    return text + " loaded.";
}

} // namespace zelto
