#include "settings/windows/FileAccess.h"

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <memory>
#include <vector>

namespace zelto {
namespace {

struct LocalFreer {
    void operator()(void* memory) const { ::LocalFree(memory); }
};

// The user running this program, who may use the file anyway.
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

// The installer service, which owns the programs Windows installs and may change any program anyway.
bool IsTrustedInstaller(PSID sid) {
    PSID installer = nullptr;
    if (!::ConvertStringSidToSidW(L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464", &installer))
        return false;
    const bool is = ::EqualSid(sid, installer) != FALSE;
    ::LocalFree(installer);
    return is;
}

bool IsTrusted(PSID sid, PSID owner, const std::vector<BYTE>& user) {
    const auto* token = reinterpret_cast<const TOKEN_USER*>(user.data());
    return (owner != nullptr && ::EqualSid(sid, owner)) || (!user.empty() && ::EqualSid(sid, token->User.Sid)) ||
           ::IsWellKnownSid(sid, WinLocalSystemSid) || ::IsWellKnownSid(sid, WinBuiltinAdministratorsSid) ||
           ::IsWellKnownSid(sid, WinCreatorOwnerSid) || IsTrustedInstaller(sid);
}

// A file's owner and access list, read together; `read` is false when they could not be.
struct FileSecurity {
    bool read = false;
    PSID owner = nullptr;
    PACL dacl = nullptr;
    std::unique_ptr<void, LocalFreer> descriptor;
};

FileSecurity ReadSecurity(const std::filesystem::path& file) {
    FileSecurity security;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    security.read =
        ::GetNamedSecurityInfoW(file.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                &security.owner, nullptr, &security.dacl, nullptr, &descriptor) == ERROR_SUCCESS;
    security.descriptor.reset(descriptor);
    return security;
}

// Whether an entry of the list that applies to the file itself allows any of `rights` to another than the
// owner, this user and the administration. No list at all lets everyone do everything.
bool ListAllowsOthers(const FileSecurity& security, ACCESS_MASK rights, const std::vector<BYTE>& user) {
    if (security.dacl == nullptr)
        return true;
    for (DWORD i = 0; i < security.dacl->AceCount; ++i) {
        void* entry = nullptr;
        if (!::GetAce(security.dacl, i, &entry))
            continue;
        const auto* header = static_cast<const ACE_HEADER*>(entry);
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE || (header->AceFlags & INHERIT_ONLY_ACE) != 0)
            continue;
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
        if ((allowed->Mask & rights) != 0 && !IsTrusted(&allowed->SidStart, security.owner, user))
            return true;
    }
    return false;
}

} // namespace

bool OthersMayRead(const std::filesystem::path& file) {
    const FileSecurity security = ReadSecurity(file);
    return security.read && ListAllowsOthers(security, FILE_READ_DATA | GENERIC_READ | GENERIC_ALL, CurrentUser());
}

bool ReplaceableByOthers(const std::filesystem::path& file) {
    const FileSecurity security = ReadSecurity(file);
    const std::vector<BYTE> user = CurrentUser();
    constexpr ACCESS_MASK kWriting =
        FILE_WRITE_DATA | FILE_APPEND_DATA | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;
    return !security.read || security.owner == nullptr || !IsTrusted(security.owner, nullptr, user) ||
           ListAllowsOthers(security, kWriting, user);
}

} // namespace zelto
