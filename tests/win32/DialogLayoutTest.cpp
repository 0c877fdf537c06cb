// The three dialogs as the templates lay them out: every control's class, id and rectangle (mapped back
// to dialog units), and the order the Tab key walks.
#include "ResourceIds.h"
#include "Win32TestSupport.h"
#include "win32/AboutDlg.h"
#include "win32/IgnoreIpDlg.h"
#include "win32/PropertiesDlg.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace zelto {
namespace {

using win32test::DialogWorld;

struct ControlSpec {
    const wchar_t* className;
    int id;
    int x, y, width, height;
    std::wstring text; // checked where not empty
};

struct TemplateSpec {
    const char* name;
    std::wstring caption;
    int width, height; // the client area in dialog units
    std::vector<ControlSpec> controls;
    std::vector<int> tabOrder; // from the control that has the focus after opening
};

const std::vector<TemplateSpec>& Templates() {
    static const std::vector<TemplateSpec> templates{
        {"About",
         L"About Zelto Premium Dynamic DNS Client v3.4",
         235,
         74,
         {{L"Static", IDC_STATIC, 11, 17, 21, 20, L""},
          {L"Static", IDC_STATIC, 45, 16, 145, 33,
           L"Zelto Premium Dynamic DNS Client v3.4\nZelto Systems\nwww.zelto.com\nsupport@zelto.com"},
          {L"Button", IDOK, 178, 53, 50, 14, L"OK"}},
         {IDOK}},
        {"Properties",
         L"Zelto Premium Client Properties",
         220,
         266,
         {{L"Edit", IDC_DOMAIN, 13, 100, 77, 13, L""},
          {L"Edit", IDC_TOPLEVEL, 97, 100, 37, 13, L""},
          {L"Edit", IDC_PASSWORD, 143, 101, 62, 12, L""},
          {L"Button", IDC_REMOVE_DOMAIN, 78, 117, 60, 14, L"Remove Domain"},
          {L"Button", IDC_ADD_DOMAIN, 145, 117, 60, 14, L"Add Domain"},
          {L"Button", IDC_METHOD_SERVER, 23, 158, 100, 10, L"Detect IP from Server Side"},
          {L"Button", IDC_METHOD_CLIENT, 23, 148, 91, 10, L"Detect IP on Client Side"},
          {L"Button", IDC_METHOD_BOTH, 23, 138, 175, 10, L"Detect IP Address from both Client and Server side"},
          {L"Button", IDC_METHOD_FIXED, 23, 168, 77, 10, L"Use this IP Address"},
          {WC_IPADDRESSW, IDC_IPADDRESS, 100, 168, 96, 12, L""},
          {L"Button", IDC_FORCE_IP_UPDATE, 7, 207, 83, 14, L"Force IP Update"},
          {L"Button", IDC_CLEAR_ALL_DOMAINS, 7, 225, 83, 14, L"Clear All Domains"},
          {L"Button", IDOK, 103, 245, 50, 14, L"OK"},
          {L"Button", IDCANCEL, 163, 245, 50, 14, L"Quit"},
          {L"Edit", IDC_STATUS, 14, 56, 191, 33, L""},
          {L"Static", IDC_STATIC, 13, 91, 25, 8, L"Domain"},
          {L"Static", IDC_STATIC, 143, 91, 33, 8, L"Password"},
          {L"Static", IDC_STATIC, 57, 0, 105, 50, L""},
          {L"Static", IDC_STATIC, 97, 91, 35, 8, L"Top Level"},
          {L"Static", IDC_STATIC, 96, 206, 117, 16,
           L"(Use this option to initialize and enable fresh ip update to take place)"},
          {L"Static", IDC_STATIC, 96, 224, 114, 16,
           L"(Use this option to clear all domains loaded for dynamic dns update)"},
          {L"Button", IDC_IGNORE_IP_LIST, 7, 189, 83, 14, L"Ignore IP List"},
          {L"Static", IDC_STATIC, 96, 187, 117, 16,
           L"(Use this option to set ip addresses which should not be detected)"},
          {L"Button", IDC_STATIC, 7, 48, 206, 137, L""}},
         // The radio buttons have no tab stop of their own; the system gives one to the checked button.
         {IDC_DOMAIN, IDC_TOPLEVEL, IDC_PASSWORD, IDC_REMOVE_DOMAIN, IDC_ADD_DOMAIN, IDC_METHOD_BOTH, IDC_IPADDRESS,
          IDC_FORCE_IP_UPDATE, IDC_CLEAR_ALL_DOMAINS, IDOK, IDCANCEL, IDC_IGNORE_IP_LIST}},
        {"IgnoreIpList",
         L"Zelto Ignore IP List",
         186,
         130,
         {{WC_IPADDRESSW, IDC_IPADDRESS, 62, 67, 95, 11, L""},
          {L"Button", IDC_ADD_IP, 50, 82, 50, 14, L"Add IP"},
          {L"Button", IDC_REMOVE_IP, 107, 82, 50, 14, L"Remove IP"},
          {L"Button", IDOK, 70, 109, 50, 14, L"OK"},
          {L"Button", IDCANCEL, 129, 108, 50, 14, L"Cancel"},
          {L"Edit", IDC_IGNORE_LIST, 15, 24, 155, 41, L""},
          {L"Static", IDC_STATIC, 16, 13, 126, 9, L"Below are the IP addresses to ignore:"},
          {L"Static", IDC_STATIC, 24, 68, 36, 8, L"IP Address"},
          {L"Button", IDC_STATIC, 7, 5, 172, 96, L""}},
         {IDC_IPADDRESS, IDC_ADD_IP, IDC_REMOVE_IP, IDOK, IDCANCEL}},
    };
    return templates;
}

std::unique_ptr<CDialog> MakeDialog(const std::string& name, DialogWorld& world) {
    if (name == "About")
        return std::make_unique<CAboutDlg>();
    if (name == "Properties")
        return std::make_unique<CPropertiesDlg>(world.context);
    return std::make_unique<CIgnoreIpDlg>(world.settings, world.context.showMessage);
}

RECT InDialogUnits(HWND dialog, int x, int y, int width, int height) {
    // Each number on its own, as the dialog manager maps a template's position and size.
    RECT mapped{x, y, width, height};
    MapDialogRect(dialog, &mapped);
    return mapped;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

std::wstring TextOf(HWND window) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

class DialogLayoutTest : public testing::TestWithParam<TemplateSpec> {};

TEST_P(DialogLayoutTest, ControlsStandWhereTheTemplatePutsThem) {
    const TemplateSpec& spec = GetParam();
    DialogWorld world;
    auto dialog = MakeDialog(spec.name, world);
    HWND window = dialog->Create();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(TextOf(window), spec.caption);

    RECT client;
    GetClientRect(window, &client);
    const RECT size = InDialogUnits(window, 0, 0, spec.width, spec.height);
    EXPECT_EQ(client.right, size.right);
    EXPECT_EQ(client.bottom, size.bottom);

    // Child windows come in template order.
    std::size_t index = 0;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT), ++index) {
        ASSERT_LT(index, spec.controls.size())
            << "an extra control of class " << testing::PrintToString(ClassOf(child));
        const ControlSpec& control = spec.controls[index];
        SCOPED_TRACE("control " + std::to_string(index) + ", id " + std::to_string(control.id));
        EXPECT_EQ(ClassOf(child), control.className);
        EXPECT_EQ(static_cast<int>(static_cast<short>(GetDlgCtrlID(child))), control.id);
        RECT placed;
        GetWindowRect(child, &placed);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&placed), 2);
        const RECT expected = InDialogUnits(window, control.x, control.y, control.width, control.height);
        EXPECT_EQ(placed.left, expected.left);
        EXPECT_EQ(placed.top, expected.top);
        EXPECT_EQ(placed.right - placed.left, expected.right);
        EXPECT_EQ(placed.bottom - placed.top, expected.bottom);
        if (!control.text.empty()) {
            EXPECT_EQ(TextOf(child), control.text);
        }
    }
    EXPECT_EQ(index, spec.controls.size());
}

TEST_P(DialogLayoutTest, TabWalksTheTabStopsInTemplateOrder) {
    const TemplateSpec& spec = GetParam();
    DialogWorld world;
    auto dialog = MakeDialog(spec.name, world);
    HWND window = dialog->Create();
    ASSERT_NE(window, nullptr);

    HWND focus = GetFocus();
    // The address control hands the focus to its first field.
    if (focus && GetParent(focus) != window)
        focus = GetParent(focus);
    std::vector<int> walked;
    HWND control = focus;
    for (std::size_t i = 0; i < spec.tabOrder.size() && control; ++i) {
        walked.push_back(GetDlgCtrlID(control));
        control = GetNextDlgTabItem(window, control, FALSE);
    }
    EXPECT_EQ(walked, spec.tabOrder);
    EXPECT_EQ(control, focus) << "Tab comes back to where it started";
}

INSTANTIATE_TEST_SUITE_P(Templates, DialogLayoutTest, testing::ValuesIn(Templates()),
                         [](const testing::TestParamInfo<TemplateSpec>& info) { return info.param.name; });

} // namespace
} // namespace zelto
