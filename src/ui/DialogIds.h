#pragma once

#include <QString>

namespace zelto {

// Control ids of the dialog templates. Every control carries ControlName(id) as its object name, so the
// tests and the screenshot gallery find it by the id of its template.
namespace ids {
inline constexpr int kOk = 1;
inline constexpr int kCancel = 2;
} // namespace ids

// Properties, template 102.
namespace properties_ids {
inline constexpr int kStatus = 1000;
inline constexpr int kTopLevel = 1001;
inline constexpr int kPassword = 1002;
inline constexpr int kDomain = 1006;
inline constexpr int kAddDomain = 1007;
inline constexpr int kRemoveDomain = 1008;
inline constexpr int kForceIpUpdate = 1009;
inline constexpr int kBoth = 1010;
inline constexpr int kClient = 1011;
inline constexpr int kServer = 1012;
inline constexpr int kFixed = 1013;
inline constexpr int kIpAddress = 1014;
inline constexpr int kClearAllDomains = 1015;
inline constexpr int kIgnoreIpList = 1016;
} // namespace properties_ids

// Ignore IP List, template 138.
namespace ignore_ids {
inline constexpr int kList = 1001;
inline constexpr int kIpAddress = 1014;
inline constexpr int kAddIp = 1017;
inline constexpr int kRemoveIp = 1018;
} // namespace ignore_ids

// "IDC_1006" for id 1006.
inline QString ControlName(int id) {
    return QStringLiteral("IDC_%1").arg(id);
}

} // namespace zelto
