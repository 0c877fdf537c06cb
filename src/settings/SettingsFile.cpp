#include "settings/SettingsFile.h"

#include "settings/SharedPath.h"

#include <algorithm>

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
    const Guard guard(*shared_, Access::Read);
    return shared_->folder.Inspect();
}

SettingsError SettingsFile::LastError() const {
    const Guard guard(*shared_, Access::Read);
    return shared_->folder.LastError();
}

bool SettingsFile::ReadableByOthers() const {
    const Guard guard(*shared_, Access::Read);
    return shared_->folder.ReadableByOthers();
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

bool SettingsFile::WriteTexts(std::initializer_list<std::pair<std::string_view, std::string_view>> entries) {
    return WriteTexts(std::span(entries.begin(), entries.size()));
}

bool SettingsFile::WriteTexts(std::span<const std::pair<std::string_view, std::string_view>> entries) {
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
        if (Refresh(state) == Load::Present && unchanged()) {
            return true;
        }
    }
    const Guard guard(state, Access::Write);
    if (!guard.Locked()) {
        return false;
    }
    const Load load = Refresh(state);
    if (load == Load::Failed) {
        return false;
    }
    Snapshot& snapshot = state.snapshot;
    const bool present = load == Load::Present;
    std::optional<IniDocument> edited;
    if (!present) {
        edited.emplace(std::string(), kSection, SettingsFolder::kNewFileLineEnd);
    }
    bool changed = !present;
    for (const auto& [key, value] : entries) {
        const IniDocument& current = edited ? *edited : *snapshot.document;
        if (current.Find(key) == value) {
            continue;
        }
        std::string next = current.WithValue(key, value);
        if (next != current.Content()) {
            edited.emplace(std::move(next), kSection);
            changed = true;
        }
    }
    if (!changed) {
        return true;
    }
    std::string content = edited->Content();
    HeldFile written;
    FileVersion version;
    const bool done = state.folder.Replace(content, written, version);
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

std::string IndexedKey(std::string_view base, int number) {
    return std::string(base) + std::to_string(number);
}

} // namespace zelto
