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

// The entries a list has of its own, not from its folder, as a list of their own; empty when it has none.
// False when they cannot be copied.
bool OwnEntries(ACL& list, std::vector<BYTE>& copy) {
    std::vector<ACE_HEADER*> own;
    DWORD size = sizeof(ACL);
    for (DWORD i = 0; i < list.AceCount; ++i) {
        void* entry = nullptr;
        if (!::GetAce(&list, i, &entry))
            return false;
        auto* header = static_cast<ACE_HEADER*>(entry);
        if ((header->AceFlags & INHERITED_ACE) == 0) {
            own.push_back(header);
            size += header->AceSize;
        }
    }
    copy.clear();
    if (own.empty())
        return true;
    copy.resize(size);
    auto* acl = reinterpret_cast<ACL*>(copy.data());
    if (!::InitializeAcl(acl, size, ACL_REVISION_DS))
        return false;
    for (ACE_HEADER* entry : own)
        if (!::AddAce(acl, ACL_REVISION_DS, MAXDWORD, entry, entry->AceSize))
            return false;
    return true;
}

} // namespace

bool CopyOwnAccessList(const std::filesystem::path& from, void* to) {
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD read = ::GetNamedSecurityInfoW(from.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                               nullptr, &dacl, nullptr, &descriptor);
    const std::unique_ptr<void, LocalFreer> owned(descriptor);
    if (read == ERROR_FILE_NOT_FOUND || read == ERROR_PATH_NOT_FOUND)
        return true;
    if (read != ERROR_SUCCESS) {
        ::SetLastError(read);
        return false;
    }
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    if (dacl == nullptr || !::GetSecurityDescriptorControl(descriptor, &control, &revision))
        return dacl == nullptr; // no list at all lets everyone in: the folder's is never looser
    // A protected list is the whole list; otherwise only the file's own entries go, and the folder adds its
    // inherited ones again, as it does for any new file.
    const bool isProtected = (control & SE_DACL_PROTECTED) != 0;
    std::vector<BYTE> own;
    if (!isProtected && !OwnEntries(*dacl, own))
        return false;
    if (!isProtected && own.empty())
        return true;
    const DWORD set =
        ::SetSecurityInfo(static_cast<HANDLE>(to), SE_FILE_OBJECT,
                          DACL_SECURITY_INFORMATION | (isProtected ? PROTECTED_DACL_SECURITY_INFORMATION
                                                                   : UNPROTECTED_DACL_SECURITY_INFORMATION),
                          nullptr, nullptr, isProtected ? dacl : reinterpret_cast<ACL*>(own.data()), nullptr);
    ::SetLastError(set);
    return set == ERROR_SUCCESS;
}

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
