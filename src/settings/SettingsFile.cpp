#include "settings/SettingsFile.h"

#include "settings/SharedPath.h"

#include <sys/file.h>

#include <cstdlib>
#include <mutex>

#include <pwd.h>
#include <unistd.h>

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
    if (!IsWritableKey(key) || !IsWritableValue(value)) {
        return false;
    }
    const auto shared = state_->Current();
    SharedPath& state = *shared;
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
    // The update record is written again after every answer, mostly unchanged: that costs no copy of the file.
    if (present && snapshot.document->Find(key) == value) {
        return true;
    }
    std::string content =
        present ? snapshot.document->WithValue(key, value) : IniDocument(std::string(), kSection).WithValue(key, value);
    if (present && content == snapshot.document->Content()) {
        return true;
    }
    UniqueFd written;
    const bool done = ReplaceFile(state.path, content, present ? &snapshot.info : nullptr, written);
    snapshot.Clear();
    if (written && ::fstat(written.Get(), &snapshot.info) == 0) {
        snapshot.state = Load::Present;
        snapshot.file = std::move(written);
        snapshot.document.emplace(std::move(content), kSection);
    }
    state.snapshotHeld = state.held == LOCK_EX && snapshot.state == Load::Present;
    return done;
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

std::filesystem::path DefaultSettingsPath() {
    const fs::path folder = fs::path("zelto-premium") / SettingsFile::kFileName;
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && fs::path(config).is_absolute()) {
        return config / folder;
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') {
        const passwd* user = ::getpwuid(::getuid());
        home = user != nullptr ? user->pw_dir : "/";
    }
    return fs::path(home) / ".config" / folder;
}

} // namespace zelto
