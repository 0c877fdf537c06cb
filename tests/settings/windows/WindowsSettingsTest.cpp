// SettingsFile on Windows: paths, failing writes, and the default location taking over the original's file.

#include "fakes/TempDir.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsHome.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <cstdlib>

namespace zelto {
namespace {

namespace fs = std::filesystem;

using fakes::ReadFile;
using fakes::WriteFile;

TEST(WindowsSettingsTest, PathsWithAnyLettersWork) {
    const fakes::TempDir dir;
    const fs::path path = dir.Path() / L"Zo\u00eb \u65e5\u672c" / L"ZeltoPre.INI";
    SettingsFile settings(path);
    ASSERT_TRUE(settings.WriteText("first_level1", "com"));
    EXPECT_EQ(SettingsFile(path).ReadText("first_level1"), "com");
    EXPECT_NE(::GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(ReadFile(path), "[Zelto Systems Premium]\r\nfirst_level1=com\r\n"); // as the profile functions write
}

TEST(WindowsSettingsTest, WriteToAReadOnlyFileFailsAndLeavesItAsItWas) {
    const fakes::TempDir dir;
    const fs::path path = dir.File("ZeltoPre.INI");
    ASSERT_TRUE(SettingsFile(path).WriteText("updatedip", "10.0.0.1"));
    const std::string before = ReadFile(path);
    ASSERT_TRUE(::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    SettingsFile settings(path);
    EXPECT_FALSE(settings.WriteText("updatedip", "10.0.0.2"));
    EXPECT_EQ(settings.LastError().fault, SettingsFault::MarkedReadOnly);
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadFile(path), before);
    EXPECT_FALSE(fs::exists(path.native() + L".tmp"));
}

// A file's access list in SDDL; empty when it cannot be read.
std::wstring AccessListOf(const fs::path& file) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetNamedSecurityInfoW(file.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, nullptr,
                                nullptr, &descriptor) != ERROR_SUCCESS)
        return {};
    wchar_t* text = nullptr;
    ::ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION,
                                                           &text, nullptr);
    std::wstring list = text != nullptr ? text : L"";
    ::LocalFree(text);
    ::LocalFree(descriptor);
    return list;
}

// An administrator's attributes and access list outlive the writes, each of which puts a new file in place.
TEST(WindowsSettingsTest, AWriteKeepsTheFilesAttributesAndAccessList) {
    const fakes::TempDir dir;
    const fs::path path = dir.File("ZeltoPre.INI");
    ASSERT_TRUE(SettingsFile(path).WriteText("password1", "secret12"));
    constexpr DWORD kSet = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    ASSERT_TRUE(::SetFileAttributesW(path.c_str(), kSet));
    PSECURITY_DESCRIPTOR locked = nullptr;
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;FA;;;SY)(A;;FA;;;BA)(A;;FA;;;OW)",
                                                                       SDDL_REVISION_1, &locked, nullptr));
    BOOL present = FALSE, defaulted = FALSE;
    PACL list = nullptr;
    ::GetSecurityDescriptorDacl(locked, &present, &list, &defaulted);
    ASSERT_EQ(::SetNamedSecurityInfoW(const_cast<wchar_t*>(path.c_str()), SE_FILE_OBJECT,
                                      DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                      list, nullptr),
              ERROR_SUCCESS);
    ::LocalFree(locked);
    // Wine makes a list up from the Unix mode: only Windows shows the given one kept.
    const std::wstring given = AccessListOf(path);
    const bool listKept = given.starts_with(L"D:P");
    if (!listKept)
        RecordProperty("acl", "not kept by this system");

    for (const char* password : {"changed1", "changed2"}) {
        ASSERT_TRUE(SettingsFile(path).WriteText("password1", password));
        EXPECT_EQ(::GetFileAttributesW(path.c_str()) & kSet, kSet) << password;
        if (listKept) {
            EXPECT_EQ(AccessListOf(path), given) << password;
        }
        EXPECT_EQ(SettingsFile(path).ReadText("password1"), password);
    }
}

// The original client's file, where its profile calls put it or where Windows redirected its writes.
class TakeOverTest : public ::testing::Test {
protected:
    TakeOverTest() {
        wchar_t windows[MAX_PATH + 1];
        ::GetWindowsDirectoryW(windows, MAX_PATH + 1);
        original_ = fs::path(windows) / L"ZeltoPre.INI";
        redirected_ = fs::path(_wgetenv(L"LOCALAPPDATA")) / L"VirtualStore" / L"Windows" / L"ZeltoPre.INI";
        Clean();
    }
    ~TakeOverTest() override { Clean(); }

    void Clean() {
        std::error_code ignored;
        for (const fs::path& file : {DefaultSettingsPath(), original_, redirected_})
            fs::remove(file, ignored);
    }

    fs::path original_;
    fs::path redirected_;
};

TEST_F(TakeOverTest, ReadsSeeTheOriginalsFileAndTheFirstWriteCopiesItPlusTheChange) {
    // The section, the original's comment kept, then another section the new key goes in front of.
    const std::string section = "[Zelto Systems Premium]\r\nnumofdomains=1\r\n; the original's comment\r\n"
                                "first_level1=com\r\n";
    const std::string other = "[Other]\r\nx=1\r\n";
    for (const fs::path* source : {&original_, &redirected_}) {
        Clean();
        fs::create_directories(source->parent_path());
        WriteFile(*source, section + other);
        SettingsFile settings(DefaultSettingsPath());
        EXPECT_EQ(settings.ReadText("first_level1"), "com") << *source;
        EXPECT_FALSE(fs::exists(DefaultSettingsPath())) << "a read created the file";
        ASSERT_TRUE(settings.WriteText("second_level1", "example"));
        EXPECT_EQ(ReadFile(DefaultSettingsPath()), section + "second_level1=example\r\n" + other);
        EXPECT_EQ(ReadFile(*source), section + other) << "the original's file changed";
        // From now on the new file is the one: a change to the original's is not seen.
        WriteFile(*source, "[Zelto Systems Premium]\r\nfirst_level1=net\r\n");
        EXPECT_EQ(SettingsFile(DefaultSettingsPath()).ReadText("first_level1"), "com");
    }
}

TEST_F(TakeOverTest, OnlyTheDefaultLocationTakesOver) {
    WriteFile(original_, "[Zelto Systems Premium]\r\nfirst_level1=com\r\n");
    const fakes::TempDir dir;
    EXPECT_EQ(SettingsFile(dir.File("ZeltoPre.INI")).ReadText("first_level1"), "");
}

} // namespace
} // namespace zelto
