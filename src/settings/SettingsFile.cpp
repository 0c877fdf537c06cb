#include "settings/SettingsFile.h"

#include "settings/SharedPath.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace zelto {
namespace {

namespace fs = std::filesystem;

class Guard {
public:
    Guard(SharedPath& state, Access access) : state_(state), locked_(Enter(state, access)) {}
    ~Guard() { Leave(state_); }
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;

    bool Locked() const { return locked_; }

private:
    SharedPath& state_;
    bool locked_;
};

std::optional<std::string_view> Lookup(SharedPath& state, std::string_view key) {
    if (const auto it = state.stagedAt.find(key); it != state.stagedAt.end()) {
        return state.staged[it->second].second;
    }
    if (Refresh(state) != Load::Present) {
        return std::nullopt;
    }
    return state.snapshot.document->Find(key);
}

} // namespace

SettingsFile::SettingsFile(std::filesystem::path path) : path_(std::move(path)), shared_(SharedPathFor(path_)) {}

SettingsFile::~SettingsFile() = default;

const std::filesystem::path& SettingsFile::Path() const {
    return path_;
}

SettingsError SettingsFile::Check() const {
    SharedPath& state = *shared_;
    const Guard guard(state, Access::Read);
    if (SettingsError problem = state.folder.Inspect())
        return problem;
    // A file that is there but cannot be read (another user's, an I/O error) must not read as an empty one.
    return Refresh(state) == Load::Failed ? state.folder.LastError() : SettingsError{};
}

SettingsError SettingsFile::LastError() const {
    const Guard guard(*shared_, Access::Read);
    return shared_->folder.LastError();
}

bool SettingsFile::ReadableByOthers() const {
    const Guard guard(*shared_, Access::Read);
    return shared_->folder.ReadableByOthers();
}

std::filesystem::path SettingsFile::ReadSource() const {
    const Guard guard(*shared_, Access::Read);
    return shared_->folder.ReadSource();
}

std::filesystem::path SettingsFile::ReadableOriginal() const {
    const Guard guard(*shared_, Access::Read);
    return shared_->folder.ReadableOriginal();
}

int SettingsFile::ReadInt(std::string_view key, int def) const {
    SharedPath& state = *shared_;
    const Guard guard(state, Access::Read);
    const auto value = Lookup(state, key);
    return !value || value->empty() ? def : LeadingInt(*value);
}

std::string SettingsFile::ReadText(std::string_view key) const {
    SharedPath& state = *shared_;
    const Guard guard(state, Access::Read);
    const auto value = Lookup(state, key);
    return value ? std::string(value->substr(0, kMaxTextLength)) : std::string();
}

bool SettingsFile::WriteText(std::string_view key, std::string_view value) {
    return WriteTexts({{key, value}});
}

bool SettingsFile::WriteTexts(std::initializer_list<std::pair<std::string_view, std::string_view>> entries,
                              Persistence persistence) {
    return WriteTexts(std::span(entries.begin(), entries.size()), persistence);
}

bool SettingsFile::WriteTexts(std::span<const std::pair<std::string_view, std::string_view>> entries,
                              Persistence persistence) {
    SharedPath& state = *shared_;
    const auto unchanged = [&] {
        return std::all_of(entries.begin(), entries.end(), [&](const auto& entry) {
            return state.snapshot.document->Find(entry.first) == entry.second;
        });
    };
    // The update record is written again after every answer, mostly unchanged: that costs a read, without the
    // exclusive lock or a copy of the file.
    {
        const Guard guard(state, Access::Read);
        state.folder.ForgetError();
        for (const auto& [key, value] : entries) {
            if (!IsWritableKey(key) || !IsWritableValue(value)) {
                return false;
            }
        }
        if (state.changes > 0) {
            for (const auto& [key, value] : entries) {
                const auto [it, added] = state.stagedAt.try_emplace(std::string(key), state.staged.size());
                if (added) {
                    state.staged.emplace_back(key, value);
                } else {
                    state.staged[it->second] = {std::string(key), std::string(value)};
                }
            }
            return true;
        }
        if (RefreshForWrite(state) == Load::Present && unchanged()) {
            return true;
        }
    }
    const Guard guard(state, Access::Write);
    if (!guard.Locked()) {
        return false;
    }
    const Load load = RefreshForWrite(state);
    if (load == Load::Failed) {
        return false;
    }
    Snapshot& snapshot = state.snapshot;
    std::optional<IniDocument> empty;
    if (load != Load::Present) {
        empty.emplace(std::string(), kSection, SettingsFolder::kNewFileLineEnd);
    }
    const IniDocument& current = empty ? *empty : *snapshot.document;
    std::string content = current.WithValues(entries);
    if (!empty && content == current.Content()) {
        return true;
    }
    HeldFile written;
    FileVersion version;
    const bool done = state.folder.Replace(content, persistence == Persistence::Durable, written, version);
    snapshot.Clear();
    if (written) {
        snapshot.state = Load::Present;
        snapshot.file = std::move(written);
        snapshot.version = version;
        snapshot.document.emplace(std::move(content), kSection);
    }
    state.snapshotHeld = state.held == Held::Exclusive && snapshot.state == Load::Present;
    return done;
}

bool SettingsFile::WriteInt(std::string_view key, int value) {
    return WriteText(key, std::to_string(value));
}

SettingsFile::Lock::Lock(const SettingsFile& file) : entered_(file.shared_) {
    Enter(*entered_, Access::Hold);
}

SettingsFile::Lock::~Lock() {
    Leave(*entered_);
}

SettingsFile::ChangeLock::ChangeLock(SettingsFile& file)
    : entered_(file.shared_), taken_(Enter(*entered_, Access::Write)) {}

SettingsFile::ChangeLock::~ChangeLock() {
    Leave(*entered_);
}

SettingsFile::Change::Change(SettingsFile& file)
    : file_(file), entered_(file.shared_), open_(Enter(*entered_, Access::Write)), taken_(open_) {
    if (open_) {
        ++entered_->changes;
    }
}

bool SettingsFile::Change::Commit() {
    if (!std::exchange(open_, false)) {
        return false;
    }
    SharedPath& state = *entered_;
    if (--state.changes > 0) {
        return true;
    }
    const auto staged = std::exchange(state.staged, {});
    state.stagedAt.clear();
    const std::vector<std::pair<std::string_view, std::string_view>> entries(staged.begin(), staged.end());
    return entries.empty() || file_.WriteTexts(entries);
}

SettingsFile::Change::~Change() {
    if (open_ && --entered_->changes == 0) {
        entered_->staged.clear();
        entered_->stagedAt.clear();
    }
    Leave(*entered_);
}

std::string IndexedKey(std::string_view base, int number) {
    return std::string(base) + std::to_string(number);
}

} // namespace zelto
