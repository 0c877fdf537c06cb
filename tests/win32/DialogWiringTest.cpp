// What the dialogs' controls and keys do to the settings file and the program, driven as a user drives
// them: text typed into the boxes, buttons clicked, Enter and Esc pressed.
#include "ResourceIds.h"
#include "Win32TestSupport.h"
#include "win32/AboutDlg.h"
#include "win32/IgnoreIpDlg.h"
#include "win32/PropertiesDlg.h"

#include <gtest/gtest.h>

namespace zelto {
namespace {

using namespace win32test;

const wchar_t kPrompt[] = L"Please enter domain(e.g. zelto or microsoft), top level(e.g. com or net) and "
                          L"password(6-8 characters) below. ";

void TypeDomain(HWND dialog, const wchar_t* domain, const wchar_t* topLevel, const wchar_t* password) {
    SetDlgItemTextW(dialog, IDC_DOMAIN, domain);
    SetDlgItemTextW(dialog, IDC_TOPLEVEL, topLevel);
    SetDlgItemTextW(dialog, IDC_PASSWORD, password);
}

class PropertiesDlgTest : public testing::Test {
protected:
    HWND Open() {
        dialog_ = std::make_unique<CPropertiesDlg>(world_.context);
        return dialog_->Create();
    }

    DialogWorld world_;
    std::unique_ptr<CPropertiesDlg> dialog_;
};

TEST_F(PropertiesDlgTest, OpensWithThePromptBothMethodsAndNoAddress) {
    HWND dialog = Open();
    EXPECT_EQ(ItemText(dialog, IDC_STATUS), kPrompt);
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_METHOD_BOTH), BST_CHECKED);
    for (int other : {IDC_METHOD_CLIENT, IDC_METHOD_SERVER, IDC_METHOD_FIXED})
        EXPECT_EQ(IsDlgButtonChecked(dialog, other), BST_UNCHECKED);
    DWORD address = 1;
    SendDlgItemMessageW(dialog, IDC_IPADDRESS, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&address));
    EXPECT_EQ(address, 0u);
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), IDC_DOMAIN);
    EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_PASSWORD, EM_GETLIMITTEXT, 0, 0), 8);
}

TEST_F(PropertiesDlgTest, SystemMenuCarriesTheAboutItem) {
    HWND dialog = Open();
    HMENU menu = GetSystemMenu(dialog, FALSE);
    wchar_t text[64] = {};
    ASSERT_GT(GetMenuStringW(menu, IDM_ABOUTBOX, text, 64, MF_BYCOMMAND), 0);
    EXPECT_STREQ(text, L"&About Zelto...");
}

TEST_F(PropertiesDlgTest, DomainButtonsWriteTheListAtOnce) {
    HWND dialog = Open();
    TypeDomain(dialog, L"example", L"com", L"secret1");
    Click(dialog, IDC_ADD_DOMAIN);
    TypeDomain(dialog, L"other", L"net", L"secret2");
    Click(dialog, IDC_ADD_DOMAIN);
    EXPECT_EQ(ItemText(dialog, IDC_STATUS), L"Domain example.com, other.net loaded.");
    EXPECT_EQ(world_.settings.ReadInt("numofdomains", 0), 2);
    EXPECT_EQ(world_.settings.ReadText("second_level2"), "other");
    EXPECT_EQ(world_.settings.ReadText("first_level2"), "net");
    EXPECT_EQ(world_.settings.ReadText("password2"), "secret2");
    EXPECT_EQ(ItemText(dialog, IDC_DOMAIN), L"other") << "Add keeps what was typed";

    TypeDomain(dialog, L"example", L"com", L"secret1");
    Click(dialog, IDC_REMOVE_DOMAIN);
    EXPECT_EQ(ItemText(dialog, IDC_STATUS), L"Domain other.net loaded.");
    EXPECT_EQ(world_.settings.ReadInt("numofdomains", 0), 1);
    EXPECT_EQ(world_.settings.ReadText("second_level1"), "other");
    for (int box : {IDC_DOMAIN, IDC_TOPLEVEL, IDC_PASSWORD})
        EXPECT_EQ(ItemText(dialog, box), L"") << "Remove empties the boxes";

    Click(dialog, IDC_CLEAR_ALL_DOMAINS);
    EXPECT_EQ(ItemText(dialog, IDC_STATUS), L"No Domains Loaded!");
    EXPECT_EQ(world_.settings.ReadInt("numofdomains", -1), 0);
}

TEST_F(PropertiesDlgTest, RefusedInputIsToldInTheStatusBoxAndWritesNothing) {
    struct Case {
        const wchar_t *domain, *topLevel, *password, *status;
    };
    const Case cases[] = {
        {L"", L"", L"", L"Invalid Domain Name!"},
        {L"o'neil", L"com", L"secret1", L"Invalid Domain Name!"},
        {L"example", L"co uk", L"secret1", L"Invalid Top Level"},
        {L"example", L"com", L"12345", L"Password must be 6-8 characters!"},
    };
    HWND dialog = Open();
    for (const Case& c : cases) {
        TypeDomain(dialog, c.domain, c.topLevel, c.password);
        Click(dialog, IDC_ADD_DOMAIN);
        EXPECT_EQ(ItemText(dialog, IDC_STATUS), c.status);
    }
    EXPECT_FALSE(std::filesystem::exists(world_.settings.Path()));
}

TEST_F(PropertiesDlgTest, PasswordBoxTakesAtMostEightCharacters) {
    HWND dialog = Open();
    SetFocus(GetDlgItem(dialog, IDC_PASSWORD));
    for (wchar_t c : std::wstring(L"abcdefghij"))
        SendDlgItemMessageW(dialog, IDC_PASSWORD, WM_CHAR, c, 0);
    EXPECT_EQ(ItemText(dialog, IDC_PASSWORD), L"abcdefgh");
}

TEST_F(PropertiesDlgTest, EnterIsOkAndWritesTheChosenMethod) {
    HWND dialog = Open();
    Click(dialog, IDC_METHOD_FIXED);
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_METHOD_BOTH), BST_UNCHECKED) << "one group: the others clear";
    SetAddress(dialog, IDC_IPADDRESS, 203, 0, 113, 7);
    SetFocus(GetDlgItem(dialog, IDC_DOMAIN));
    PressKey(dialog, VK_RETURN);

    EXPECT_TRUE(dialog_->Ended());
    EXPECT_EQ(dialog_->Result(), IDOK);
    EXPECT_EQ(world_.settings.ReadText("ipmethod"), "3");
    EXPECT_EQ(world_.settings.ReadText("one"), "203");
    EXPECT_EQ(world_.settings.ReadText("two"), "0");
    EXPECT_EQ(world_.settings.ReadText("three"), "113");
    EXPECT_EQ(world_.settings.ReadText("four"), "7");
    EXPECT_EQ(world_.settings.ReadInt("updatedip", -1), -1) << "written empty";
    EXPECT_TRUE(world_.exitCodes.empty());
}

TEST_F(PropertiesDlgTest, UnknownStoredMethodOpensAsBothAndOkWritesTwo) {
    world_.settings.WriteText("ipmethod", "7");
    world_.settings.WriteText("ipaddress", "old");
    HWND dialog = Open();
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_METHOD_BOTH), BST_CHECKED);
    Click(dialog, IDOK);
    EXPECT_EQ(world_.settings.ReadText("ipmethod"), "2");
    EXPECT_EQ(world_.settings.ReadText("ipaddress"), "");
}

TEST_F(PropertiesDlgTest, EscIsQuitHidesTheIconPlaysOuchAndEndsTheProgram) {
    HWND dialog = Open();
    Click(dialog, IDC_METHOD_SERVER);
    PressKey(dialog, VK_ESCAPE);
    EXPECT_TRUE(world_.trayHidden);
    EXPECT_EQ(world_.sound.Played(), std::vector<std::string>{"OUCH"});
    EXPECT_EQ(world_.exitCodes, std::vector<int>{0});
    EXPECT_EQ(world_.settings.ReadText("ipmethod"), "") << "nothing of the dialog is saved";
}

TEST_F(PropertiesDlgTest, ForceIpUpdateWithNoDomainsBleepsAndTellsItCouldNotComplete) {
    HWND dialog = Open();
    Click(dialog, IDC_FORCE_IP_UPDATE);
    EXPECT_TRUE(world_.http.Requests().empty());
    EXPECT_EQ(world_.sound.Played(), std::vector<std::string>{"BLEEP"});
    EXPECT_EQ(world_.messages, std::vector<std::string>{"Fresh IP update could not complete!"});
}

class IgnoreIpDlgTest : public testing::Test {
protected:
    HWND Open() {
        dialog_ = std::make_unique<CIgnoreIpDlg>(world_.settings, world_.context.showMessage);
        return dialog_->Create();
    }

    DialogWorld world_;
    std::unique_ptr<CIgnoreIpDlg> dialog_;
};

TEST_F(IgnoreIpDlgTest, EnterInTheAddressAddsItAndRemoveTakesItOut) {
    world_.settings.WriteText("numofignoreip", "1");
    world_.settings.WriteText("ignoreip1", "10.0.0.1");
    HWND dialog = Open();
    EXPECT_EQ(ItemText(dialog, IDC_IGNORE_LIST), L"10.0.0.1\r\n");

    SetAddress(dialog, IDC_IPADDRESS, 192, 168, 1, 20);
    PressKey(dialog, VK_RETURN); // the focus is in the address control
    EXPECT_FALSE(dialog_->Ended()) << "Enter is Add IP, not OK";
    EXPECT_EQ(world_.settings.ReadInt("numofignoreip", 0), 2);
    EXPECT_EQ(world_.settings.ReadText("ignoreip2"), "192.168.1.20");
    EXPECT_EQ(ItemText(dialog, IDC_IGNORE_LIST), L"10.0.0.1\r\n192.168.1.20\r\n");

    SetAddress(dialog, IDC_IPADDRESS, 10, 0, 0, 1);
    Click(dialog, IDC_REMOVE_IP);
    EXPECT_EQ(world_.settings.ReadInt("numofignoreip", 0), 1);
    EXPECT_EQ(world_.settings.ReadText("ignoreip1"), "192.168.1.20");
    EXPECT_EQ(ItemText(dialog, IDC_IGNORE_LIST), L"192.168.1.20\r\n");
    EXPECT_TRUE(world_.messages.empty());
}

TEST_F(IgnoreIpDlgTest, BlankAddressAddsZerosAndEscKeepsTheChange) {
    HWND dialog = Open();
    EXPECT_EQ(ItemText(dialog, IDC_IGNORE_LIST), L"");
    Click(dialog, IDC_ADD_IP);
    EXPECT_EQ(world_.settings.ReadText("ignoreip1"), "0.0.0.0");
    PressKey(dialog, VK_ESCAPE);
    EXPECT_TRUE(dialog_->Ended());
    EXPECT_EQ(dialog_->Result(), IDCANCEL);
    EXPECT_EQ(world_.settings.ReadInt("numofignoreip", 0), 1);
}

TEST(AboutDlgTest, EnterAndEscBothCloseIt) {
    DialogWorld world;
    for (WPARAM key : {VK_RETURN, VK_ESCAPE}) {
        CAboutDlg about;
        HWND dialog = about.Create();
        PressKey(dialog, key);
        EXPECT_TRUE(about.Ended());
        EXPECT_EQ(about.Result(), key == VK_RETURN ? IDOK : IDCANCEL);
    }
    EXPECT_FALSE(std::filesystem::exists(world.settings.Path()));
}

} // namespace
} // namespace zelto
