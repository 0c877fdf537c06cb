// Resource and control ids, shared by the resource script and both skins' C++ code.
#pragma once

// Icons: the application's (also in the About box) and the tray's.
#define IDR_MAINFRAME 128
#define IDI_TRAY 129

// Menus: the hidden frame's, and the tray popup, whose id is also the tray icon's id.
#define IDR_FRAMEMENU 128
#define IDR_TRAYMENU 134

// Bitmaps: the Properties dialog's banner and the splash picture.
#define IDB_BANNER 132
#define IDB_SPLASH 133

// Dialog templates.
#define IDD_ABOUTBOX 100
#define IDD_PROPERTIES 102
#define IDD_IGNOREIP 138

// Strings.
#define IDS_ABOUTBOX 101
#define IDS_SOCKETS_INIT_FAILED 103

// The About command of the Properties dialog's system menu.
#define IDM_ABOUTBOX 0x0010

// The frame menu's one item.
#define ID_FILE 65535

// Tray menu commands.
#define ID_WEB_INTERFACE 32780
#define ID_HOMEPAGE 32772
#define ID_PROPERTIES 32773
#define ID_TRAY_EXIT 32781
// The framework's application-exit command, which only the string table names.
#define ID_APP_EXIT 57665

// Properties dialog controls.
#define IDC_STATUS 1000
#define IDC_TOPLEVEL 1001
#define IDC_PASSWORD 1002
#define IDC_DOMAIN 1006
#define IDC_ADD_DOMAIN 1007
#define IDC_REMOVE_DOMAIN 1008
#define IDC_FORCE_IP_UPDATE 1009
#define IDC_METHOD_BOTH 1010
#define IDC_METHOD_CLIENT 1011
#define IDC_METHOD_SERVER 1012
#define IDC_METHOD_FIXED 1013
#define IDC_IPADDRESS 1014
#define IDC_CLEAR_ALL_DOMAINS 1015
#define IDC_IGNORE_IP_LIST 1016

// Ignore IP List dialog controls (1014 is its address control too).
#define IDC_IGNORE_LIST 1001
#define IDC_ADD_IP 1017
#define IDC_REMOVE_IP 1018

// Defined by the Windows headers for the resource script and the Win32 skin; here for the Qt skin, which
// builds its dialogs from the same templates.
#ifndef IDOK
#define IDOK 1
#define IDCANCEL 2
#endif
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
