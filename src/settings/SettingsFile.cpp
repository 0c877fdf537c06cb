#include "settings/SettingsFile.h"

#include "settings/SharedPath.h"

#include <algorithm>
#include <mutex>

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

// Which shared state an object uses is settled again after a fork: the child gets its own.
struct SettingsFile::State {
    explicit State(fs::path path) : given(std::move(path)), shared(SharedPathFor(given)) {}

    std::shared_ptr<SharedPath> Current() {
        const std::lock_guard lock(mutex);
        if (shared->generation != ForkGeneration()) {
            shared = SharedPathFor(given);
        }
        return shared;
    }

    const fs::path given;
    std::mutex mutex;
    std::shared_ptr<SharedPath> shared;
};

SettingsFile::SettingsFile(std::filesystem::path path) : state_(std::make_unique<State>(std::move(path))) {}

SettingsFile::~SettingsFile() = default;

const std::filesystem::path& SettingsFile::Path() const {
    return state_->given;
}

int SettingsFile::ReadInt(std::string_view key, int def) const {
    const auto shared = state_->Current();
    SharedPath& state = *shared;
    const Guard guard(state, Access::Read);
    const auto value = Lookup(state, key);
    return !value || value->empty() ? def : LeadingInt(*value);
}

std::string SettingsFile::ReadText(std::string_view key) const {
    const auto shared = state_->Current();
    SharedPath& state = *shared;
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
    for (const auto& [key, value] : entries) {
        if (!IsWritableKey(key) || !IsWritableValue(value)) {
            return false;
        }
    }
    const auto shared = state_->Current();
    SharedPath& state = *shared;
    const auto unchanged = [&] {
        return std::all_of(entries.begin(), entries.end(), [&](const auto& entry) {
            return state.snapshot.document->Find(entry.first) == entry.second;
        });
    };
    // The update record is written again after every answer, mostly unchanged: that costs a read, without the
    // exclusive lock or a copy of the file.
    {
        const Guard guard(state, Access::Read);
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
        edited.emplace(std::string(), kSection, kNewFileLineEnd);
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
    return Replace(state, edited->Content());
}

bool SettingsFile::WriteInt(std::string_view key, int value) {
    return WriteText(key, std::to_string(value));
}

SettingsFile::Lock::Lock(const SettingsFile& file) : file_(file), entered_(file_.state_->Current()) {
    Enter(*entered_, Access::Hold);
}

SettingsFile::Lock::~Lock() {
    Leave(*entered_);
}

std::string IndexedKey(std::string_view base, int number) {
    return std::string(base) + std::to_string(number);
}

} // namespace zelto
