#include "platform/InstanceLock.h"
#include "platform/InstanceRecord.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace zelto {

namespace {

// Windows locks are mandatory: the lock covers one byte far past the record, so that a refused client can
// still read the record.
constexpr DWORD kLockOffsetHigh = 1;
// The holder writes its line just after taking the lock; a claim in between waits for it this long at most.
constexpr int kRecordReads = 20;
constexpr DWORD kRecordWait = 10;

HANDLE OpenLockFile(const std::filesystem::path& path) {
    // Not inherited, so a program the client starts does not keep the file locked after it.
    const auto open = [&] {
        return CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    const HANDLE file = open();
    if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_PATH_NOT_FOUND)
        return file;
    // A first start, before anything made the settings folder.
    std::error_code ignored;
    std::filesystem::create_directories(path.parent_path(), ignored);
    return open();
}

InstanceHolder ReadHolder(HANDLE file) {
    InstanceHolder holder;
    for (int attempt = 0; attempt < kRecordReads; ++attempt) {
        char text[64] = {};
        DWORD got = 0;
        OVERLAPPED at{};
        if (ReadFile(file, text, sizeof text - 1, &got, &at))
            holder = ParseInstanceRecord(std::string_view(text, got));
        if (holder.pid != 0)
            break;
        Sleep(kRecordWait);
    }
    return holder;
}

// The settings file itself, held by its identity (volume serial and file index) in a named object every
// session sees, so that a hard link reaches the same one, the service's as well. Holding the file open
// instead would stop the store from moving a new version over it. Null when the file is not there yet, or
// the object was already there (one another account made is there but not ours to open).
HANDLE HoldSettingsFile(const std::filesystem::path& settings, bool& heldElsewhere) {
    const HANDLE file = CreateFileW(settings.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return nullptr;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = GetFileInformationByHandle(file, &info) != FALSE;
    CloseHandle(file);
    if (!known)
        return nullptr;
    wchar_t name[80];
    std::swprintf(name, sizeof name / sizeof name[0], L"Global\\zelto-premium-%08lx-%08lx%08lx",
                  info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow);
    const HANDLE held = CreateMutexW(nullptr, FALSE, name);
    const DWORD error = GetLastError();
    if (held != nullptr && error != ERROR_ALREADY_EXISTS)
        return held;
    heldElsewhere = held != nullptr || error == ERROR_ACCESS_DENIED;
    if (held != nullptr)
        CloseHandle(held);
    return nullptr;
}

} // namespace

struct InstanceLock::State {
    HANDLE file = INVALID_HANDLE_VALUE;
    HANDLE settingsFile = nullptr;
    Claim claim = Claim::Unavailable;
    InstanceHolder holder;
};

InstanceLock::InstanceLock(const std::filesystem::path& settings, ClientKind kind) : state_(std::make_unique<State>()) {
    const HANDLE file = OpenLockFile(LockPath(settings));
    if (file == INVALID_HANDLE_VALUE)
        return;
    OVERLAPPED lockAt{};
    lockAt.OffsetHigh = kLockOffsetHigh;
    if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &lockAt)) {
        if (GetLastError() == ERROR_LOCK_VIOLATION) {
            state_->claim = Claim::HeldElsewhere;
            state_->holder = ReadHolder(file);
        }
        CloseHandle(file);
        return;
    }
    bool heldElsewhere = false;
    state_->settingsFile = HoldSettingsFile(settings, heldElsewhere);
    if (heldElsewhere) {
        // Another name of the same file: its holder's record lies beside that name.
        state_->claim = Claim::HeldElsewhere;
        CloseHandle(file);
        return;
    }
    // A record that cannot be written leaves the lock held; a refused client then names no process.
    const std::string record = FormatInstanceRecord(GetCurrentProcessId(), kind);
    DWORD written = 0;
    if (SetFilePointer(file, 0, nullptr, FILE_BEGIN) == 0 && SetEndOfFile(file))
        WriteFile(file, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
    state_->file = file;
    state_->claim = Claim::Taken;
}

InstanceLock::~InstanceLock() {
    if (state_->file == INVALID_HANDLE_VALUE)
        return;
    // Emptied, not deleted: a client starting now finds the file free, with no stale process in it.
    SetFilePointer(state_->file, 0, nullptr, FILE_BEGIN);
    SetEndOfFile(state_->file);
    CloseHandle(state_->file);
    if (state_->settingsFile != nullptr)
        CloseHandle(state_->settingsFile);
}

InstanceLock::Claim InstanceLock::Result() const {
    return state_->claim;
}

const InstanceHolder& InstanceLock::Holder() const {
    return state_->holder;
}

} // namespace zelto
