#pragma once

#include "schema/ClientSettings.h"
#include "schema/UnrecordedRegistration.h"

#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace zelto {

class SettingsFile;

// The local date and hour of a registration, as the update record keeps it.
struct RegistrationHour {
    int year = 0;
    int month = 0; // 1-12
    int day = 0;   // of the month
    int hour = 0;
    int dayOfYear = 0; // 1-366
};

struct DomainStatus {
    int number = 0;
    DomainEntry entry;                         // the password is never shown
    std::optional<DomainPause> pause;          // set while the engine sends nothing for it
    std::optional<RequestOutcome> lastOutcome; // of its last request, when stored for the entry as it is
    std::optional<int> copyOf;                 // the earlier entry with the same labels, when there is one
    std::string Name() const { return entry.domain + "." + entry.topLevel; }
};

// What status, status --json and check tell, gathered once from one read of the settings file.
struct StatusReport {
    std::filesystem::path file;
    std::filesystem::path readFrom; // file, or the original client's that stands in for it until the first change
    bool fileExists = false;
    bool readableByOthers = false; // of readFrom

    std::string updateServerUrl; // "http://dynamic.zelto.com/"
    bool secure = false;         // https: passwords never cross the network in clear
    std::string caFile;          // "" for the system's trusted certificates
    std::string webSite;         // host[:port]

    std::optional<int> storedMethod;            // ipmethod as stored; nullopt before a method was saved
    AddressMethod method = AddressMethod::Both; // what the updates use, whatever the dialog shows for it
    std::string fixedAddress;
    bool fixedAddressUnreachable = false; // the engine uses it, and sends nothing: no one could reach it
    std::vector<std::string> ignored;

    RecordedUpdate registration;                  // address empty: none recorded
    std::optional<RegistrationHour> registeredAt; // nullopt when the record's time does not read as one
    // To the second, when this client made the record; a record the Windows client made since has only the hour.
    std::optional<std::time_t> registeredExactly;

    std::string hook;                  // "" for none
    std::optional<HookRecord> hookRun; // its last run, by whichever process ran it

    std::vector<DomainStatus> domains;
    std::string domainListText; // "Domain example.com loaded." or "No Domains Loaded!"
    // Stored until a pass goes well or the user changes what shapes the requests; its time may have passed.
    std::optional<FailureWait> failureWait;
    // A registration the settings file could not take, from the note beside the user's state.
    std::optional<UnrecordedRegistration> unrecorded;
};

StatusReport GatherStatus(const SettingsFile& settings);

// Whether the registration was made in the clock hour of `now` (local time) or the one before it.
bool RegisteredWithinAnHour(const StatusReport& report, std::time_t now);

} // namespace zelto
