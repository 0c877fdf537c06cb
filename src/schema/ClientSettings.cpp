#include "schema/ClientSettings.h"

#include "settings/SettingsFile.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <span>
#include <utility>

namespace zelto {

namespace {

using Keys = SettingsKeys;

constexpr std::array<std::string_view, 3> kDomainKeys{Keys::kTopLevel, Keys::kDomain, Keys::kPassword};

std::string Configured(const SettingsFile& file, std::string_view key, std::string_view fallback) {
    std::string host = file.ReadText(key);
    return host.empty() ? std::string(fallback) : host;
}

std::optional<AddressMethod> KnownMethod(int number) {
    for (const AddressMethod method :
         {AddressMethod::Server, AddressMethod::Client, AddressMethod::Both, AddressMethod::Fixed}) {
        if (number == static_cast<int>(method))
            return method;
    }
    return std::nullopt;
}

// Moves the keys of entries number+1 .. count down one place, in ascending order, then writes the new count.
// A reader may meanwhile see one entry at two numbers, never a live entry that is half of two.
bool ShiftDown(SettingsFile& file, std::string_view countKey, std::span<const std::string_view> bases, int count,
               int number) {
    for (int j = number + 1; j <= count; ++j) {
        for (const std::string_view base : bases) {
            if (!file.WriteText(IndexedKey(base, j - 1), file.ReadText(IndexedKey(base, j))))
                return false;
        }
    }
    return file.WriteInt(countKey, count - 1);
}

} // namespace

int ClientSettingsView::DomainCount() const {
    return file_.ReadInt(Keys::kDomainCount, Keys::kCountDefault);
}

int ClientSettingsView::LiveCount(std::string_view countKey) const {
    const int limit = countKey == Keys::kDomainCount ? kMaxDomains : kMaxIgnored;
    return std::clamp(file_.ReadInt(countKey, Keys::kCountDefault), 0, limit);
}

SettingsProblem ClientSettingsView::Problem() const {
    const SettingsFile::Lock lock(file_);
    if (SettingsError error = file_.Check())
        return {std::move(error), {}, {}};
    // ReadInt holds a count past the range of int at the largest int, so no count wraps around to pass.
    for (const auto& [key, limit] :
         {std::pair{Keys::kDomainCount, kMaxDomains}, std::pair{Keys::kIgnoreCount, kMaxIgnored}}) {
        if (file_.ReadInt(key, Keys::kCountDefault) > limit)
            return {{}, std::string(key), file_.Path()};
    }
    return {};
}

DomainEntry ClientSettingsView::Domain(int number) const {
    // Together, so that a removal elsewhere cannot hand us half of two entries.
    SettingsFile::Lock lock(file_);
    DomainEntry entry;
    entry.password = file_.ReadText(IndexedKey(Keys::kPassword, number));
    entry.topLevel = file_.ReadText(IndexedKey(Keys::kTopLevel, number));
    entry.domain = file_.ReadText(IndexedKey(Keys::kDomain, number));
    return entry;
}

std::vector<DomainEntry> ClientSettingsView::Domains() const {
    SettingsFile::Lock lock(file_);
    const int count = LiveCount(Keys::kDomainCount);
    std::vector<DomainEntry> entries;
    entries.reserve(static_cast<std::size_t>(count));
    for (int n = 1; n <= count; ++n)
        entries.push_back(Domain(n));
    return entries;
}

std::vector<std::string> ClientSettingsView::IgnoredAddresses() const {
    SettingsFile::Lock lock(file_);
    const int count = LiveCount(Keys::kIgnoreCount);
    std::vector<std::string> addresses;
    for (int n = 1; n <= count; ++n)
        addresses.push_back(file_.ReadText(IndexedKey(Keys::kIgnoredAddress, n)));
    return addresses;
}

AddressMethod ClientSettingsView::DialogMethod() const {
    return KnownMethod(file_.ReadInt(Keys::kAddressMethod, static_cast<int>(Keys::kDialogMethodDefault)))
        .value_or(AddressMethod::Both);
}

AddressMethod ClientSettingsView::EngineMethod() const {
    return KnownMethod(file_.ReadInt(Keys::kAddressMethod, static_cast<int>(Keys::kEngineMethodDefault)))
        .value_or(AddressMethod::Client);
}

std::optional<int> ClientSettingsView::StoredMethodNumber() const {
    const int stored = file_.ReadInt(Keys::kAddressMethod, INT_MIN);
    return stored == INT_MIN ? std::nullopt : std::optional<int>(stored);
}

std::array<int, 4> ClientSettingsView::FixedAddress() const {
    SettingsFile::Lock lock(file_);
    std::array<int, 4> parts{};
    for (std::size_t i = 0; i < parts.size(); ++i)
        parts[i] = file_.ReadInt(Keys::kFixedAddress[i], Keys::kFixedAddressDefault);
    return parts;
}

RecordedUpdate ClientSettingsView::UpdateRecord() const {
    SettingsFile::Lock lock(file_);
    RecordedUpdate record;
    record.time.hour = file_.ReadText(Keys::kRecordedHour);
    record.time.day = file_.ReadText(Keys::kRecordedDay);
    record.time.year = file_.ReadText(Keys::kRecordedYear);
    record.address = file_.ReadText(Keys::kRecordedAddress);
    const std::string exact = file_.ReadText(Keys::kRecordedTime);
    long long seconds = 0;
    if (const auto [end, error] = std::from_chars(exact.data(), exact.data() + exact.size(), seconds);
        error == std::errc() && end == exact.data() + exact.size() && seconds > 0)
        record.exactTime = static_cast<std::time_t>(seconds);
    return record;
}

std::string ClientSettingsView::UpdateServer() const {
    return Configured(file_, Keys::kUpdateServer, Keys::kUpdateServerDefault);
}

std::string ClientSettingsView::WebSite() const {
    return Configured(file_, Keys::kWebSite, Keys::kWebSiteDefault);
}

std::string ClientSettingsView::CaFile() const {
    return file_.ReadText(Keys::kCaFile);
}

std::string ClientSettingsView::Hook() const {
    return file_.ReadText(Keys::kHook);
}

std::string ClientSettingsView::HookAddress() const {
    return file_.ReadText(Keys::kHookAddress);
}

std::optional<HookRecord> ClientSettingsView::LastHookRun() const {
    return ParseHookRecord(file_.ReadText(Keys::kHookRun));
}

ClientSettings::Append ClientSettings::AppendDomain(const DomainEntry& entry) {
    SettingsFile::Change change(writable_);
    if (!change)
        return Append::WriteFailed;
    const int count = LiveCount(Keys::kDomainCount);
    if (count >= kMaxDomains)
        return Append::Full;
    const int n = count + 1;
    const bool written = writable_.WriteText(IndexedKey(Keys::kTopLevel, n), entry.topLevel) &&
                         writable_.WriteText(IndexedKey(Keys::kDomain, n), entry.domain) &&
                         writable_.WriteText(IndexedKey(Keys::kPassword, n), entry.password) && ClearPause(n) &&
                         writable_.WriteInt(Keys::kDomainCount, n) && change.Commit();
    return written ? Append::Done : Append::WriteFailed;
}

bool ClientSettings::RemoveDomainAt(int number) {
    SettingsFile::Change change(writable_);
    if (!change)
        return false;
    const int count = LiveCount(Keys::kDomainCount);
    if (number < 1 || number > count)
        return false;
    return ShiftDown(writable_, Keys::kDomainCount, kDomainKeys, count, number) && ClearPasswordsAbove(count - 1) &&
           change.Commit();
}

bool ClientSettings::ClearDomains() {
    SettingsFile::Change change(writable_);
    return change && writable_.WriteInt(Keys::kDomainCount, 0) && ClearPasswordsAbove(0) && change.Commit();
}

// The entry keys past the count stay (other programs may expect them), but a removed domain's password
// must not stay on disk.
bool ClientSettings::ClearPasswordsAbove(int count) {
    return EmptyIndexedFrom(Keys::kPassword, std::max(count, 0) + 1);
}

// Written in one replacement of the file: clearing 999 entries costs one write.
bool ClientSettings::EmptyIndexedFrom(std::string_view base, int from) {
    std::vector<std::string> stale;
    for (int n = from; n <= kMaxDomains; ++n) {
        std::string key = IndexedKey(base, n);
        if (!writable_.ReadText(key).empty())
            stale.push_back(std::move(key));
    }
    if (stale.empty())
        return true;
    std::vector<std::pair<std::string_view, std::string_view>> emptied;
    emptied.reserve(stale.size());
    for (const std::string& key : stale)
        emptied.emplace_back(key, std::string_view());
    return writable_.WriteTexts(emptied);
}

bool ClientSettings::AppendIgnoredAddress(const std::string& address) {
    SettingsFile::Change change(writable_);
    if (!change)
        return false;
    const int count = LiveCount(Keys::kIgnoreCount);
    if (count >= kMaxIgnored)
        return false;
    return writable_.WriteInt(Keys::kIgnoreCount, count + 1) &&
           writable_.WriteText(IndexedKey(Keys::kIgnoredAddress, count + 1), address) && change.Commit();
}

bool ClientSettings::RemoveIgnoredAddressAt(int number) {
    SettingsFile::Change change(writable_);
    if (!change)
        return false;
    const int count = LiveCount(Keys::kIgnoreCount);
    if (number < 1 || number > count)
        return false;
    const std::string_view bases[] = {Keys::kIgnoredAddress};
    return ShiftDown(writable_, Keys::kIgnoreCount, bases, count, number) && change.Commit();
}

bool ClientSettings::WriteAddressMethod(AddressMethod method) {
    return writable_.WriteText(Keys::kAddressMethod, std::to_string(static_cast<int>(method)));
}

bool ClientSettings::WriteFixedAddress(const std::array<int, 4>& parts) {
    SettingsFile::Change change(writable_);
    if (!change)
        return false;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (!writable_.WriteText(Keys::kFixedAddress[i], std::to_string(parts[i])))
            return false;
    }
    return change.Commit();
}

bool ClientSettings::ClearAddressText() {
    return writable_.WriteText(Keys::kAddressText, "");
}

bool ClientSettings::WriteUpdateRecord(const RecordedUpdate& record,
                                       const std::optional<std::pair<std::string, std::string>>& also) {
    std::vector<std::pair<std::string_view, std::string_view>> entries{{Keys::kRecordedAddress, record.address},
                                                                       {Keys::kRecordedHour, record.time.hour},
                                                                       {Keys::kRecordedDay, record.time.day},
                                                                       {Keys::kRecordedYear, record.time.year},
                                                                       {Keys::kHookAddress, record.address}};
    const std::string exact = record.exactTime ? std::to_string(static_cast<long long>(*record.exactTime)) : "";
    // The record is written again after every answer, mostly unchanged; the caller's key rides along only on
    // a write that happens anyway. A pass's answers come within the minute: the exact time is that of its
    // first registration, so that a pass of many domains still replaces the file once.
    {
        const SettingsFile::Lock lock(writable_);
        const std::optional<std::time_t> kept = UpdateRecord().exactTime;
        const bool timeCurrent = !record.exactTime || (kept && *record.exactTime - *kept < 60);
        if (timeCurrent && std::ranges::all_of(entries, [&](const auto& entry) {
                return writable_.ReadText(entry.first) == entry.second;
            }))
            return true;
    }
    entries.emplace_back(Keys::kRecordedTime, exact);
    if (also)
        entries.emplace_back(also->first, also->second);
    return writable_.WriteTexts(entries, SettingsFile::Persistence::MayRevert);
}

bool ClientSettings::ClearUpdateRecord() {
    return writable_.WriteText(Keys::kRecordedAddress, "");
}

bool ClientSettings::WriteUpdateServer(std::string_view host) {
    return writable_.WriteText(Keys::kUpdateServer, host);
}

std::optional<DomainPause> ClientSettingsView::Pause(int number) const {
    SettingsFile::Lock lock(file_);
    const std::string stored = file_.ReadText(IndexedKey(Keys::kPause, number));
    return stored.empty() ? std::nullopt : ParsePause(stored, Domain(number));
}

std::optional<RequestOutcome> ClientSettingsView::LastOutcome(int number) const {
    SettingsFile::Lock lock(file_);
    const std::string stored = file_.ReadText(IndexedKey(Keys::kOutcome, number));
    return stored.empty() ? std::nullopt : ParseOutcome(stored, Domain(number));
}

bool ClientSettingsView::PauseStored(int number) const {
    return !file_.ReadText(IndexedKey(Keys::kPause, number)).empty();
}

std::vector<PausedDomain> ClientSettingsView::PausedDomains() const {
    SettingsFile::Lock lock(file_);
    std::vector<PausedDomain> paused;
    const int count = LiveCount(Keys::kDomainCount);
    for (int n = 1; n <= count; ++n) {
        if (const std::optional<DomainPause> pause = Pause(n))
            paused.push_back({n, Domain(n), *pause});
    }
    return paused;
}

std::optional<FailureWait> ClientSettingsView::StoredFailureWait() const {
    const SettingsFile::Lock lock(file_);
    const std::string stored = file_.ReadText(Keys::kFailureWait);
    if (stored.empty())
        return std::nullopt;
    FailureWait wait;
    long long until = 0;
    const char* end = stored.data() + stored.size();
    const auto [afterCount, countError] = std::from_chars(stored.data(), end, wait.failures);
    if (countError != std::errc() || afterCount == end || *afterCount != ' ' || wait.failures < 1)
        return std::nullopt;
    const auto [afterTime, timeError] = std::from_chars(afterCount + 1, end, until);
    if (timeError != std::errc() || afterTime == end || *afterTime != ' ')
        return std::nullopt;
    const std::optional<RequestOutcome> last =
        ParseOutcome(std::string_view(afterTime + 1, end), RequestsFingerprint());
    if (!last)
        return std::nullopt;
    wait.until = static_cast<std::time_t>(until);
    wait.last = *last;
    return wait;
}

bool ClientSettingsView::FailureWaitStored() const {
    return !file_.ReadText(Keys::kFailureWait).empty();
}

std::string ClientSettingsView::RequestsFingerprint() const {
    const SettingsFile::Lock lock(file_);
    std::vector<std::string> texts{UpdateServer(), CaFile(), file_.ReadText(Keys::kAddressMethod)};
    for (const std::string_view key : Keys::kFixedAddress)
        texts.push_back(file_.ReadText(key));
    // The counts as stored, and the entries they cover as far as any reader goes.
    for (const std::string_view countKey : {Keys::kIgnoreCount, Keys::kDomainCount})
        texts.push_back(file_.ReadText(countKey));
    const int ignored = LiveCount(Keys::kIgnoreCount);
    for (int n = 1; n <= ignored; ++n)
        texts.push_back(file_.ReadText(IndexedKey(Keys::kIgnoredAddress, n)));
    const int domains = LiveCount(Keys::kDomainCount);
    for (int n = 1; n <= domains; ++n)
        texts.push_back(EntryFingerprint(Domain(n)));
    return TextsFingerprint(texts);
}

std::optional<std::time_t> ClientSettingsView::LastAddressCheck() const {
    const std::string stored = file_.ReadText(Keys::kAddressCheck);
    long long when = 0;
    const auto [end, error] = std::from_chars(stored.data(), stored.data() + stored.size(), when);
    if (stored.empty() || error != std::errc() || end != stored.data() + stored.size())
        return std::nullopt;
    return static_cast<std::time_t>(when);
}

bool ClientSettings::WritePause(int number, const DomainEntry& entry, const DomainPause& pause) {
    const std::string key = IndexedKey(Keys::kPause, number);
    const std::string value = FormatPause(pause, entry);
    return writable_.ReadText(key) == value || writable_.WriteText(key, value);
}

bool ClientSettings::ClearPause(int number) {
    const std::string key = IndexedKey(Keys::kPause, number);
    return writable_.ReadText(key).empty() || writable_.WriteText(key, "");
}

bool ClientSettings::ClearPauses() {
    const SettingsFile::ChangeLock lock(writable_);
    return lock && EmptyIndexedFrom(Keys::kPause, 1);
}

bool ClientSettings::WriteOutcomes(const std::vector<SentDomain>& sent) {
    if (sent.empty())
        return true;
    std::vector<std::pair<std::string, std::string>> texts;
    for (const SentDomain& domain : sent)
        texts.emplace_back(IndexedKey(Keys::kOutcome, domain.number), FormatOutcome(domain.outcome, domain.entry));
    const std::vector<std::pair<std::string_view, std::string_view>> entries(texts.begin(), texts.end());
    return writable_.WriteTexts(entries, SettingsFile::Persistence::MayRevert);
}

bool ClientSettings::WriteFailureWait(const FailureWait& wait, std::string_view requests) {
    const std::string value = std::to_string(wait.failures) + " " + std::to_string(static_cast<long long>(wait.until)) +
                              " " + FormatOutcome(wait.last, requests);
    return writable_.ReadText(Keys::kFailureWait) == value || writable_.WriteText(Keys::kFailureWait, value);
}

// Lost in a power cut at worst, which costs one check more.
bool ClientSettings::WriteAddressCheck(std::time_t when) {
    const std::string value = std::to_string(static_cast<long long>(when));
    const std::pair<std::string_view, std::string_view> entry{Keys::kAddressCheck, value};
    return writable_.WriteTexts(std::span(&entry, 1), SettingsFile::Persistence::MayRevert);
}

bool ClientSettings::ClearFailureWait() {
    return writable_.ReadText(Keys::kFailureWait).empty() || writable_.WriteText(Keys::kFailureWait, "");
}

bool ClientSettings::ResumeUpdates() {
    const SettingsFile::ChangeLock lock(writable_);
    return lock && EmptyIndexedFrom(Keys::kPause, 1) && ClearFailureWait();
}

bool ClientSettings::WriteWebSite(std::string_view host) {
    return writable_.WriteText(Keys::kWebSite, host);
}

bool ClientSettings::WriteCaFile(std::string_view path) {
    return writable_.WriteText(Keys::kCaFile, path);
}

bool ClientSettings::WriteHook(std::string_view path) {
    return writable_.WriteText(Keys::kHook, path);
}

bool ClientSettings::WriteHookRun(const HookRecord& record) {
    return writable_.WriteText(Keys::kHookRun, FormatHookRecord(record));
}

bool ClientSettings::WritePassword(int number, std::string_view password) {
    return writable_.WriteText(IndexedKey(Keys::kPassword, number), password);
}

} // namespace zelto
