// The service's settings folder: open to Administrators, SYSTEM and the service alone, whatever the folder
// above allows.

#include "platform/windows/ServiceFolder.h"
#include "fakes/TempDir.h"

#include <windows.h>

#include <sddl.h>

#include <gtest/gtest.h>

#include <set>

namespace zelto::wintest {
namespace {

std::string SidText(PSID sid) {
    wchar_t* text = nullptr;
    if (!::ConvertSidToStringSidW(sid, &text))
        return {};
    const std::wstring wide(text);
    ::LocalFree(text);
    return std::string(wide.begin(), wide.end());
}

// The service SID Windows gives a well-known service, as "sc showsid TrustedInstaller" prints it.
TEST(ServiceFolderTest, DerivesTheServiceSidFromTheNameAsWindowsDoes) {
    EXPECT_EQ(ServiceFolder::ServiceSid(L"TrustedInstaller"),
              "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464");
    EXPECT_EQ(ServiceFolder::ServiceSid(L"trustedinstaller"), ServiceFolder::ServiceSid(L"TrustedInstaller"));
}

// Wine keeps no access list on a file (it answers from the Unix mode), so the list is checked as the system
// reads it, and the folder for being there.
TEST(ServiceFolderTest, OpensTheFolderToAdministratorsSystemAndTheServiceAlone) {
    fakes::TempDir dir;
    const std::filesystem::path folder = dir.Path() / "Zelto Premium";
    std::string problem;
    ASSERT_TRUE(ServiceFolder::Protect(folder, L"Zelto Premium", problem)) << problem;
    EXPECT_TRUE(std::filesystem::is_directory(folder));

    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(
        ServiceFolder::AccessList(L"Zelto Premium").c_str(), SDDL_REVISION_1, &descriptor, nullptr));
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ::GetSecurityDescriptorControl(descriptor, &control, &revision);
    EXPECT_TRUE(control & SE_DACL_PROTECTED) << "the folder above would still grant access";
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL dacl = nullptr;
    ::GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted);
    std::set<std::string> granted;
    for (DWORD i = 0; dacl != nullptr && i < dacl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        ASSERT_TRUE(::GetAce(dacl, i, reinterpret_cast<void**>(&ace)));
        ASSERT_EQ(ace->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
        EXPECT_EQ(ace->Mask & FILE_ALL_ACCESS, static_cast<DWORD>(FILE_ALL_ACCESS));
        EXPECT_EQ(ace->Header.AceFlags & (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE),
                  OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE);
        granted.insert(SidText(&ace->SidStart));
    }
    ::LocalFree(descriptor);
    EXPECT_EQ(granted,
              (std::set<std::string>{"S-1-5-32-544", "S-1-5-18", ServiceFolder::ServiceSid(L"Zelto Premium")}));
}

} // namespace
} // namespace zelto::wintest
