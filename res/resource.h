#pragma once
// Identifiers of the executable's resources.

#define AINICON 1

// Frame: the menus MAINMENU and TRAYMENU are named resources. Commands that
// the frame carries out itself, and the identifiers of the MAINMENU items
// that carry a submenu (menu preparation recognises a submenu by them).
#define IDM_EXIT 5001
#define IDM_CASCADE 5033
#define IDM_TILE_HORIZONTAL 5034
#define IDM_TILE_VERTICAL 5035
#define IDM_ARRANGE_ICONS 5036
#define IDM_FRAME_MAXIMIZE 5088
#define IDM_FRAME_MINIMIZE 5089
#define IDM_TO_TRAY 5092
#define IDM_TRAY_RESTORE 5098
#define IDM_TRAY_EXIT 5099
#define IDM_FAVORITES_MENU 5123
#define IDM_VIEW_MENU 5170

// Key assignment dialog (both scopes) and its controls.
#define IDD_MENU_SHORTCUT 7170
#define IDC_SHORTCUT_LIST 7068
#define IDC_SHORTCUT_NAME 7174
#define IDC_SHORTCUT_ADD 7178
#define IDC_SHORTCUT_MODIFY 7179
#define IDC_SHORTCUT_DELETE 7180
#define IDC_SHORTCUT_KEYS 7181
#define IDC_SHORTCUT_SHIFT 7182
#define IDC_SHORTCUT_CTRL 7183
#define IDC_SHORTCUT_ALT 7184
