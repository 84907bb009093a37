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
