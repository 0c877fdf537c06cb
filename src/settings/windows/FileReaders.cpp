#include "settings/windows/FileReaders.h"

#include <windows.h>

#include <aclapi.h>

#include <memory>
#include <vector>

namespace zelto {
namespace {

struct LocalFreer {
    void operator()(void* memory) const { ::LocalFree(memory); }
};

// The user running this program, who may read the file anyway.
std::vector<BYTE> CurrentUser() {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token))
        return {};
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<BYTE> user(size);
    if (size == 0 || !::GetTokenInformation(token, TokenUser, user.data(), size, &size))
        user.clear();
    ::CloseHandle(token);
    return user;
}

bool IsTrusted(PSID sid, PSID owner, const std::vector<BYTE>& user) {
    const auto* token = reinterpret_cast<const TOKEN_USER*>(user.data());
    return (owner != nullptr && ::EqualSid(sid, owner)) || (!user.empty() && ::EqualSid(sid, token->User.Sid)) ||
           ::IsWellKnownSid(sid, WinLocalSystemSid) || ::IsWellKnownSid(sid, WinBuiltinAdministratorsSid) ||
           ::IsWellKnownSid(sid, WinCreatorOwnerSid);
}

} // namespace

bool OthersMayRead(const std::filesystem::path& file) {
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetNamedSecurityInfoW(file.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                &owner, nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
        return false;
    const std::unique_ptr<void, LocalFreer> freed(descriptor);
    if (dacl == nullptr)
        return true; // no list at all: everyone may do everything
    const std::vector<BYTE> user = CurrentUser();
    constexpr ACCESS_MASK kReading = FILE_READ_DATA | GENERIC_READ | GENERIC_ALL;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        void* entry = nullptr;
        if (!::GetAce(dacl, i, &entry) || static_cast<ACE_HEADER*>(entry)->AceType != ACCESS_ALLOWED_ACE_TYPE)
            continue;
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
        if ((allowed->Mask & kReading) != 0 && !IsTrusted(&allowed->SidStart, owner, user))
            return true;
    }
    return false;
}

} // namespace zelto
