#include "platform/windows/RegistryAutodialSetting.h"

#include <windows.h>

#include <cstdlib>
#include <string>
#include <utility>

namespace zelto {
namespace {

constexpr const char* kKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
constexpr const char* kValue = "EnableAutodial";
constexpr const char* kCopyKey = "Software\\Zelto Premium";
constexpr const char* kHolderPrefix = "DialUpHolder";
// Per session, as the user's registry is per user: a program of another session of the same user is rare
// enough not to be worth a global name, which needs a privilege.
constexpr const wchar_t* kLockName = L"Local\\Zelto Premium dial-up";
// Held for a few registry calls only; a process stuck holding it longer does not stop requests.
constexpr DWORD kLockWaitMs = 10000;

void ToBytes(std::uint32_t value, BYTE (&buffer)[sizeof(std::uint32_t)]) {
    for (std::size_t i = 0; i < sizeof buffer; ++i)
        buffer[i] = static_cast<BYTE>(value >> (8 * i));
}

std::wstring HolderMutexName(DWORD process) {
    return L"Local\\Zelto Premium dial-up holder " + std::to_wstring(process);
}

std::string HolderValue(DWORD process) {
    return kHolderPrefix + std::to_string(process);
}

// This process's share: its requests holding the switch off, and the mutex that says it lives. Changed only
// under the lock, which also keeps this process's threads apart.
struct ProcessHold {
    int requests = 0;
    HANDLE alive = nullptr;
};

ProcessHold& ThisProcess() {
    static ProcessHold hold;
    return hold;
}

// Whether the process that wrote a holder value still runs. This process's own value without a request of
// its own is a killed process's whose id came round again.
bool HolderRuns(const std::string& value) {
    const DWORD process = std::strtoul(value.c_str() + std::char_traits<char>::length(kHolderPrefix), nullptr, 10);
    if (process == ::GetCurrentProcessId())
        return false;
    HANDLE alive = ::OpenMutexW(SYNCHRONIZE, FALSE, HolderMutexName(process).c_str());
    if (alive == nullptr)
        return false;
    ::CloseHandle(alive);
    return true;
}

// The program's key goes when nothing is left in it.
void DeleteCopyKeyIfEmpty() {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kCopyKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return;
    DWORD subkeys = 0, values = 0;
    const bool empty = ::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                                          nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
                       subkeys == 0 && values == 0;
    ::RegCloseKey(key);
    if (empty)
        ::RegDeleteKeyExA(HKEY_CURRENT_USER, kCopyKey, 0, 0);
}

} // namespace

RegistryAutodialSetting::~RegistryAutodialSetting() {
    Close();
    if (lock_ != nullptr)
        ::CloseHandle(static_cast<HANDLE>(lock_));
}

bool RegistryAutodialSetting::Lock() {
    if (lock_ == nullptr)
        lock_ = ::CreateMutexW(nullptr, FALSE, kLockName);
    if (lock_ == nullptr)
        return false;
    // Abandoned: a process was killed holding it, and the lock is ours now.
    const DWORD waited = ::WaitForSingleObject(static_cast<HANDLE>(lock_), kLockWaitMs);
    return waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
}

void RegistryAutodialSetting::Unlock() {
    ::ReleaseMutex(static_cast<HANDLE>(lock_));
}

bool RegistryAutodialSetting::Open() {
    Close();
    if (!Lock())
        return false;
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key) != ERROR_SUCCESS) {
        Unlock();
        return false;
    }
    key_ = key;
    locked_ = true;
    return true;
}

bool RegistryAutodialSetting::Read(std::uint32_t& value, std::uint32_t& type) {
    if (key_ == nullptr)
        return false;
    // A 4-byte buffer: a longer value fails the read and is left alone.
    BYTE buffer[sizeof(std::uint32_t)] = {};
    DWORD storedType = 0;
    DWORD size = sizeof buffer;
    if (::RegQueryValueExA(static_cast<HKEY>(key_), kValue, nullptr, &storedType, buffer, &size) != ERROR_SUCCESS)
        return false;
    value = static_cast<std::uint32_t>(buffer[0]) | static_cast<std::uint32_t>(buffer[1]) << 8 |
            static_cast<std::uint32_t>(buffer[2]) << 16 | static_cast<std::uint32_t>(buffer[3]) << 24;
    type = readType_ = storedType;
    readValue_ = value;
    size_ = size;
    return true;
}

bool RegistryAutodialSetting::Write(std::uint32_t value, std::uint32_t type) {
    if (key_ == nullptr)
        return false;
    BYTE buffer[sizeof(std::uint32_t)];
    ToBytes(value, buffer);
    return ::RegSetValueExA(static_cast<HKEY>(key_), kValue, 0, type, buffer, size_) == ERROR_SUCCESS;
}

void RegistryAutodialSetting::Close() {
    if (key_ != nullptr)
        ::RegCloseKey(static_cast<HKEY>(key_));
    key_ = nullptr;
    size_ = sizeof(std::uint32_t);
    if (locked_)
        Unlock();
    locked_ = false;
}

// Holder values of processes that no longer run are dropped on the way.
bool RegistryAutodialSetting::Held() {
    if (ThisProcess().requests > 0)
        return true;
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kCopyKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return false;
    bool held = false;
    DWORD index = 0;
    for (char name[64]; !held;) {
        DWORD length = sizeof name;
        const LSTATUS listed = ::RegEnumValueA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (listed == ERROR_NO_MORE_ITEMS)
            break;
        const std::string value(name, listed == ERROR_SUCCESS ? length : 0);
        if (!value.starts_with(kHolderPrefix))
            ++index;
        else if (HolderRuns(value))
            held = true;
        else if (::RegDeleteValueA(key, value.c_str()) != ERROR_SUCCESS)
            ++index;
    }
    ::RegCloseKey(key);
    return held;
}

bool RegistryAutodialSetting::Join() {
    ProcessHold& hold = ThisProcess();
    if (hold.requests == 0) {
        const DWORD process = ::GetCurrentProcessId();
        hold.alive = ::CreateMutexW(nullptr, FALSE, HolderMutexName(process).c_str());
        if (hold.alive == nullptr)
            return false;
        if (::RegSetKeyValueA(HKEY_CURRENT_USER, kCopyKey, HolderValue(process).c_str(), REG_DWORD, &process,
                              sizeof process) != ERROR_SUCCESS) {
            ::CloseHandle(std::exchange(hold.alive, nullptr));
            return false;
        }
    }
    ++hold.requests;
    return true;
}

void RegistryAutodialSetting::Leave() {
    ProcessHold& hold = ThisProcess();
    if (hold.requests == 0 || --hold.requests > 0)
        return;
    ::RegDeleteKeyValueA(HKEY_CURRENT_USER, kCopyKey, HolderValue(::GetCurrentProcessId()).c_str());
    ::CloseHandle(std::exchange(hold.alive, nullptr));
    DeleteCopyKeyIfEmpty();
}

bool RegistryAutodialSetting::KeepCopy() {
    BYTE buffer[sizeof(std::uint32_t)];
    ToBytes(readValue_, buffer);
    return key_ != nullptr &&
           ::RegSetKeyValueA(HKEY_CURRENT_USER, kCopyKey, kValue, readType_, buffer, size_) == ERROR_SUCCESS;
}

void RegistryAutodialSetting::DropCopy() {
    ::RegDeleteKeyValueA(HKEY_CURRENT_USER, kCopyKey, kValue);
    DeleteCopyKeyIfEmpty();
}

void RegistryAutodialSetting::RestoreKeptCopy() {
    if (!Lock())
        return;
    BYTE buffer[sizeof(std::uint32_t)] = {};
    DWORD type = 0;
    DWORD size = sizeof buffer;
    if (!Held() &&
        ::RegGetValueA(HKEY_CURRENT_USER, kCopyKey, kValue, RRF_RT_ANY | RRF_NOEXPAND, &type, buffer, &size) ==
            ERROR_SUCCESS &&
        ::RegSetKeyValueA(HKEY_CURRENT_USER, kKey, kValue, type, buffer, size) == ERROR_SUCCESS)
        DropCopy();
    Unlock();
}

} // namespace zelto
