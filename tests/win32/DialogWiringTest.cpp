// The Win32 skins of the dialogs are wired to their models, driven as a user drives them: text typed into
// the boxes, buttons clicked, Enter and Esc pressed. The decisions themselves are tested in tests/desktop.
#include "ResourceIds.h"
#include "Win32TestSupport.h"
#include "win32/AboutDlg.h"
#include "win32/IgnoreIpDlg.h"
#include "win32/PropertiesDlg.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace zelto::win32 {
namespace {

using namespace test;

class PropertiesDlgTest : public testing::Test {
protected:
    HWND Open() {
        dialog_ = std::make_unique<CPropertiesDlg>(world_.context, world_.showMessage);
        return dialog_->Create();
    }
    void TypeDomain(HWND dialog, const wchar_t* domain, const wchar_t* password) {
        SetDlgItemTextW(dialog, IDC_DOMAIN, domain);
        SetDlgItemTextW(dialog, IDC_TOPLEVEL, L"com");
        SetDlgItemTextW(dialog, IDC_PASSWORD, password);
    }

    DialogWorld world_;
    std::unique_ptr<CPropertiesDlg> dialog_;
};

// Typed text reaches the model and its outcome the status box; the method clicked and the address typed
// are what Enter (OK) saves before the dialog ends; the password box takes 8 characters.
TEST_F(PropertiesDlgTest, AcceptedDomainAndMethod) {
    HWND dialog = Open();
    EXPECT_NE(GetMenuState(GetSystemMenu(dialog, FALSE), IDM_ABOUTBOX, MF_BYCOMMAND), ~0u) << "About";
    EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_PASSWORD, EM_GETLIMITTEXT, 0, 0), 8);
    TypeDomain(dialog, L"example", L"secret1");
    Click(dialog, IDC_ADD_DOMAIN);
    EXPECT_NE(ItemText(dialog, IDC_STATUS).find(L"example.com"), std::wstring::npos);
    Click(dialog, IDC_METHOD_FIXED);
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_METHOD_BOTH), BST_UNCHECKED) << "one group: the others clear";
    SetAddress(dialog, IDC_IPADDRESS, 203, 0, 113, 7);
    SetFocus(GetDlgItem(dialog, IDC_DOMAIN));
    PressKey(dialog, VK_RETURN);
    EXPECT_EQ(dialog_->Result(), IDOK);
    EXPECT_EQ(world_.settings.ReadText("ipmethod"), "3");
    EXPECT_EQ(world_.settings.ReadText("three"), "113");
    EXPECT_EQ(world_.quits, 0);
}

// A refusal shows in the status box; Force IP Update's outcome comes in a box, its button unavailable until
// then (the click returns at once: the worker's result arrives as a message); Esc is Quit.
TEST_F(PropertiesDlgTest, RefusedInputMessagesAndEsc) {
    HWND dialog = Open();
    TypeDomain(dialog, L"example", L"12345");
    Click(dialog, IDC_ADD_DOMAIN);
    EXPECT_TRUE(ItemText(dialog, IDC_STATUS).starts_with(L"Password must be"));
    Click(dialog, IDC_FORCE_IP_UPDATE);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_FORCE_IP_UPDATE)));
    EXPECT_TRUE(PumpUntil([this] { return !world_.messages.empty(); }));
    EXPECT_EQ(world_.messages.size(), 1u);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_FORCE_IP_UPDATE)));
    PressKey(dialog, VK_ESCAPE);
    EXPECT_EQ(world_.quits, 1);
    EXPECT_FALSE(std::filesystem::exists(world_.settings.Path()));
}

// Each dialog opens centred on the screen's work area, and none has a Maximize button.
TEST(DialogPlacementTest, CentredWithoutMaximize) {
    DialogWorld world;
    CPropertiesDlg properties(world.context, world.showMessage);
    CIgnoreIpDlg ignore(world.settings, world.showMessage);
    CAboutDlg about;
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    for (HWND dialog : {properties.Create(), ignore.Create(), about.Create()}) {
        RECT frame{};
        GetWindowRect(dialog, &frame);
        EXPECT_LE(std::abs((frame.left + frame.right) - (work.left + work.right)), 2) << dialog;
        EXPECT_LE(std::abs((frame.top + frame.bottom) - (work.top + work.bottom)), 2) << dialog;
        EXPECT_FALSE(GetWindowLongPtrW(dialog, GWL_STYLE) & WS_MAXIMIZEBOX);
    }
}

// Enter in the address control is Add IP, not OK; Remove IP takes the address out; Esc closes.
TEST(IgnoreIpDlgTest, EnterAddsRemoveTakesOutEscCloses) {
    DialogWorld world;
    CIgnoreIpDlg ignore(world.settings, world.showMessage);
    HWND dialog = ignore.Create();
    SetAddress(dialog, IDC_IPADDRESS, 192, 168, 1, 20);
    PressKey(dialog, VK_RETURN); // the focus is in the address control
    EXPECT_FALSE(ignore.Ended());
    EXPECT_EQ(ItemText(dialog, IDC_IGNORE_LIST), L"192.168.1.20\r\n");
    Click(dialog, IDC_REMOVE_IP);
    EXPECT_EQ(ItemText(dialog, IDC_IGNORE_LIST), L"");
    PressKey(dialog, VK_ESCAPE);
    EXPECT_EQ(ignore.Result(), IDCANCEL);
}

} // namespace
} // namespace zelto::win32
