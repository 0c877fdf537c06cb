#include "cli/windows/ServiceFolder.h"

#include "platform/windows/SystemError.h"
#include "platform/windows/WideText.h"

#include <aclapi.h>
#include <sddl.h>
#include <shlobj.h>
#include <wincrypt.h>
#include <windows.h>

#include <cwctype>
#include <system_error>

namespace zelto {
namespace {

// SHA-1 of the bytes; empty when the system's provider is missing.
std::string Sha1(const void* data, DWORD size) {
    HCRYPTPROV provider = 0;
    HCRYPTHASH hash = 0;
    std::string digest(20, '\0');
    DWORD length = static_cast<DWORD>(digest.size());
    const bool ok = ::CryptAcquireContextW(&provider, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT) &&
                    ::CryptCreateHash(provider, CALG_SHA1, 0, 0, &hash) &&
                    ::CryptHashData(hash, static_cast<const BYTE*>(data), size, 0) &&
                    ::CryptGetHashParam(hash, HP_HASHVAL, reinterpret_cast<BYTE*>(digest.data()), &length, 0);
    if (hash != 0)
        ::CryptDestroyHash(hash);
    if (provider != 0)
        ::CryptReleaseContext(provider, 0);
    return ok && length == digest.size() ? digest : std::string();
}

std::filesystem::path KnownFolder(const KNOWNFOLDERID& id) {
    wchar_t* folder = nullptr;
    std::filesystem::path path;
    if (SUCCEEDED(::SHGetKnownFolderPath(id, 0, nullptr, &folder)))
        path = std::filesystem::path(folder) / L"Zelto Premium";
    ::CoTaskMemFree(folder);
    return path;
}

} // namespace

std::filesystem::path ServiceFolder::Default() {
    return KnownFolder(FOLDERID_ProgramData);
}

std::filesystem::path ServiceFolder::ProgramFolder() {
    return KnownFolder(FOLDERID_ProgramFiles);
}

// S-1-5-80 followed by the SHA-1 of the upper-case name in UTF-16, read as five little-endian numbers.
std::string ServiceFolder::ServiceSid(const std::wstring& serviceName) {
    std::wstring upper = serviceName;
    for (wchar_t& c : upper)
        c = static_cast<wchar_t>(std::towupper(c));
    const std::string digest = Sha1(upper.data(), static_cast<DWORD>(upper.size() * sizeof(wchar_t)));
    if (digest.empty())
        return {};
    std::string sid = "S-1-5-80";
    for (std::size_t part = 0; part < 5; ++part) {
        unsigned long value = 0;
        for (std::size_t byte = 4; byte-- > 0;)
            value = value << 8 | static_cast<unsigned char>(digest[part * 4 + byte]);
        sid += '-';
        sid += std::to_string(value);
    }
    return sid;
}

bool ServiceFolder::Protect(const std::filesystem::path& folder, const std::wstring& serviceName,
                            std::string& problem) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        problem = error.message();
        return false;
    }
    const std::string service = ServiceSid(serviceName);
    if (service.empty()) {
        problem = "the service's SID cannot be computed";
        return false;
    }
    // Protected: nothing from the folder above; full control for the three, inherited by what is made inside.
    const std::wstring sddl = L"D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;FA;;;" + Widen(service) + L")";
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr)) {
        problem = SystemErrorText(::GetLastError());
        return false;
    }
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL dacl = nullptr;
    ::GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted);
    std::wstring path = folder.native();
    const DWORD result = ::SetNamedSecurityInfoW(path.data(), SE_FILE_OBJECT,
                                                 DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                                 nullptr, nullptr, dacl, nullptr);
    ::LocalFree(descriptor);
    if (result != ERROR_SUCCESS)
        problem = SystemErrorText(result);
    return result == ERROR_SUCCESS;
}

} // namespace zelto
