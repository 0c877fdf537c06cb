#pragma once

#include "schema/DomainEntry.h"
#include "schema/DomainPause.h"
#include "schema/HookRecord.h"
#include "schema/RequestOutcome.h"
#include "schema/SettingsProblem.h"
#include "schema/UpdateRecord.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelto {

class SettingsFile;

// How the address sent with an update is found; stored as its number.
enum class AddressMethod { Server = 0, Client = 1, Both = 2, Fixed = 3 };

// The client's keys, each with what a reader takes when the file does not hold it (text keys not listed
// with a default read as empty), for the schema below and for messages that name a key.
struct SettingsKeys {
    static constexpr std::string_view kDomainCount = "numofdomains";
    static constexpr std::string_view kIgnoreCount = "numofignoreip";
    static constexpr int kCountDefault = 0;                         // of both counts
    static constexpr std::string_view kTopLevel = "first_level";    // + entry number
    static constexpr std::string_view kDomain = "second_level";     // + entry number
    static constexpr std::string_view kPassword = "password";       // + entry number
    static constexpr std::string_view kIgnoredAddress = "ignoreip"; // + entry number
    // The dialog shows "both" for a missing key, while the engine keeps to the server side until the
    // dialog's OK writes a value, as the original client did.
    static constexpr std::string_view kAddressMethod = "ipmethod";
    static constexpr AddressMethod kDialogMethodDefault = AddressMethod::Both;
    static constexpr AddressMethod kEngineMethodDefault = AddressMethod::Server;
    static constexpr std::array<std::string_view, 4> kFixedAddress{"one", "two", "three", "four"};
    static constexpr int kFixedAddressDefault = 0;
    static constexpr std::string_view kAddressText = "ipaddress"; // always written empty, read by nobody
    static constexpr std::string_view kRecordedAddress = "updatedip";
    static constexpr std::string_view kRecordedHour = "updatedhour";
    static constexpr std::string_view kRecordedDay = "updatedday";
    static constexpr std::string_view kRecordedYear = "updatedyear";
    // ours: the registration's time in seconds since 1970, beside the hour the Windows client reads
    static constexpr std::string_view kRecordedTime = "updatedtime";
    // "host" or "host:port"; an empty value also reads as the default.
    static constexpr std::string_view kUpdateServer = "updateserver";
    static constexpr std::string_view kUpdateServerDefault = "dynamic.zelto.com";
    static constexpr std::string_view kWebSite = "website";
    static constexpr std::string_view kWebSiteDefault = "www.zelto.com";
    static constexpr std::string_view kCaFile = "cafile";
    static constexpr std::string_view kPause = "paused";    // + entry number; ours, the Windows client ignores it
    static constexpr std::string_view kOutcome = "outcome"; // + entry number; ours: how its last request ended
    static constexpr std::string_view kFailureWait = "retryafter";    // ours: the wait after failed requests
    static constexpr std::string_view kAddressCheck = "addresscheck"; // ours: when the service was last asked
    static constexpr std::string_view kHook = "hook";                 // ours: the command run on an address change
    static constexpr std::string_view kHookAddress = "hookaddress";   // ours: the address it was last run for
    static constexpr std::string_view kHookRun = "hookrun";           // ours: when it last ran and how it ended
};

// The last registration: its address and when it happened; empty texts when none is recorded.
struct RecordedUpdate {
    std::string address;
    LocalStamp time;
    std::optional<std::time_t> exactTime; // when this client made the record; the Windows client keeps none

    bool Complete() const { return !address.empty() && !time.hour.empty() && !time.day.empty() && !time.year.empty(); }
};

// The wait after requests that failed (no answer, an error status, an answer that means nothing): how many
// passes failed in a row, the time before which no pass is made, and the last failed request.
struct FailureWait {
    int failures = 0;
    std::time_t until = 0;
    RequestOutcome last;

    bool operator==(const FailureWait&) const = default;
};

// How one entry's request ended in a pass.
struct SentDomain {
    int number = 0;
    DomainEntry entry;
    RequestOutcome outcome;
};

// A domain the engine sends nothing for, as status shows it.
struct PausedDomain {
    int number = 0;
    DomainEntry entry;
    DomainPause pause;
};

// Every setting of the client with its default, read from the settings file at each call. Several keys
// that belong together are read under the file's lock, so they come from one state of the file.
class ClientSettingsView {
public:
    static constexpr int kMaxDomains = 999; // entry numbers have at most three digits
    static constexpr int kMaxIgnored = 999;

    // What keeps the client from using the file: the file's own problem (SettingsFile::Check), or a count
    // above the client's limit, which no front-end writes (a damaged or hand-edited file). Every front-end
    // and each pass of the update cycle ask first, and use nothing of such a file.
    SettingsProblem Problem() const;

    explicit ClientSettingsView(const SettingsFile& file) : file_(file) {}

    // numofdomains as stored (0 when missing): a hand-edited file may hold a negative count or one above 999.
    int DomainCount() const;
    // One entry, its three keys read together (password, top level, then domain).
    DomainEntry Domain(int number) const;
    // Entries 1 up to the count.
    std::vector<DomainEntry> Domains() const;

    std::vector<std::string> IgnoredAddresses() const;

    // What the Properties dialog shows; Both for a number it does not know.
    AddressMethod DialogMethod() const;
    // What the update engine uses; any unknown number detects on the client side.
    AddressMethod EngineMethod() const;
    // The stored number, when there is one, for reports that show what the file says.
    std::optional<int> StoredMethodNumber() const;
    // one, two, three, four as stored, 0 each when missing; not checked against 0-255.
    std::array<int, 4> FixedAddress() const;

    RecordedUpdate UpdateRecord() const;

    // Entry N's pause, when one was stored for the entry as it is now: an entry changed since (labels or
    // password) is not paused.
    std::optional<DomainPause> Pause(int number) const;
    // Entry N's last request, when one was stored for the entry as it is now.
    std::optional<RequestOutcome> LastOutcome(int number) const;
    // Whether entry N has a pause stored at all, one that holds or one left from before a change.
    bool PauseStored(int number) const;
    // The paused entries among 1 to the count, in order.
    std::vector<PausedDomain> PausedDomains() const;
    // The wait after failures, when one is stored for the settings as they are now; kept in the file so that
    // --once and status see it, and a running client sees the user end it. A change of anything that shapes
    // the requests (RequestsFingerprint), by any process, ends it.
    std::optional<FailureWait> StoredFailureWait() const;
    // Whether any wait is stored, one that holds or one left from before such a change.
    bool FailureWaitStored() const;
    // A digest of what shapes the requests: the update server, cafile, the address method, the fixed
    // address, the ignore list and every domain entry.
    std::string RequestsFingerprint() const;
    // When the service's address check was last asked, by any process: behind address translation it is
    // asked at most every five minutes, whatever runs the client.
    std::optional<std::time_t> LastAddressCheck() const;

    // updateserver and website, or the built-in hosts when empty; "host" or "host:port".
    std::string UpdateServer() const;
    std::string WebSite() const;
    // cafile: the PEM bundle an https update server is verified against; "" for the system's trust store.
    std::string CaFile() const;
    // hook: the executable run when the registered address changes; "" for none.
    std::string Hook() const;
    // hookaddress: the address last registered, kept across restarts (which empty updatedip) for the hook's
    // "previous address"; written with the update record, in the same replacement of the file.
    std::string HookAddress() const;
    // hookrun: the hook's last run, by any process; nullopt before one (or for a value that cannot be read).
    std::optional<HookRecord> LastHookRun() const;

protected:
    // Entries 1 to the count, at most the limit; a negative count holds none.
    int LiveCount(std::string_view countKey) const;

private:
    const SettingsFile& file_;
};

// The schema with its writes. Each operation of several reads and writes is one SettingsFile::Change: it holds
// the file from its first read, fails writing nothing when that cannot be taken, and replaces the file once,
// whole or not at all, also across a crash. The keys are written in the order given below, which is their order
// in the file when they are new; when the file cannot be written the operation returns false.
class ClientSettings : public ClientSettingsView {
public:
    explicit ClientSettings(SettingsFile& file) : ClientSettingsView(file), writable_(file) {}

    enum class Append { Done, Full, WriteFailed };
    // The entry's three keys at count+1, then the new count: a reader never sees a count covering an
    // unwritten entry. A new entry is never paused, even when it repeats a removed one.
    Append AppendDomain(const DomainEntry& entry);
    // Shifts the entries after it down one place, then writes count-1 and empties every stale password.
    bool RemoveDomainAt(int number);
    // numofdomains = 0, then every stale password emptied; the other entry keys stay.
    bool ClearDomains();

    // The new count first, then the address.
    bool AppendIgnoredAddress(const std::string& address);
    bool RemoveIgnoredAddressAt(int number);

    bool WriteAddressMethod(AddressMethod method);
    bool WriteFixedAddress(const std::array<int, 4>& parts);
    bool ClearAddressText();

    // The four keys, the exact time and hookaddress in one replacement of the file: no reader sees a new
    // address with an old hour, and a pass replaces the file once (the exact time of its first registration). A power
    // cut may bring the previous record back, which costs one update more at most: every start of the client empties
    // the record anyway. `also`: one more key of the caller's in the same replacement, when the record changes.
    bool WriteUpdateRecord(const RecordedUpdate& record,
                           const std::optional<std::pair<std::string, std::string>>& also = std::nullopt);
    // Empties updatedip, which makes the next decision find a registration due.
    bool ClearUpdateRecord();

    bool WriteUpdateServer(std::string_view host);
    bool WriteWebSite(std::string_view host);
    bool WriteCaFile(std::string_view path);
    bool WriteHook(std::string_view path);
    bool WriteHookRun(const HookRecord& record);
    // password<N> of one entry; its labels stay.
    bool WritePassword(int number, std::string_view password);

    // Pauses entry N as it is now; written only when it changes.
    bool WritePause(int number, const DomainEntry& entry, const DomainPause& pause);
    // Empties paused<N> when it holds anything.
    bool ClearPause(int number);
    // Empties every paused<N> in one write (none when nothing is paused): a client's start.
    bool ClearPauses();
    // The outcomes of a pass's requests, in one replacement of the file; a power cut may bring the previous
    // ones back, which only status would show.
    bool WriteOutcomes(const std::vector<SentDomain>& sent);
    // Written only when it changes; it holds while RequestsFingerprint() stays `requests`.
    bool WriteFailureWait(const FailureWait& wait, std::string_view requests);
    bool WriteAddressCheck(std::time_t when);
    // Empties retryafter when it holds anything.
    bool ClearFailureWait();
    // The user's Properties OK, Force IP Update and force-update: every pause and the wait after failures
    // lifted. Nothing is written when there is nothing to lift.
    bool ResumeUpdates();

private:
    bool ClearPasswordsAbove(int count);
    // Empties the non-empty keys base<from> .. base<999> in one write.
    bool EmptyIndexedFrom(std::string_view base, int from);

    SettingsFile& writable_;
};

} // namespace zelto
