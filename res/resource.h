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

// Command set: every identifier of the main menu and the accelerator tables,
// and the MAINMENU items that carry the submenus menu preparation fills.
#define IDM_STANDARD_BUTTONS 5009
#define IDM_ADDRESS_BAR 5010
#define IDM_LINK_BAR 5011
#define IDM_LOCK_TOOLBARS 5012
#define IDM_STATUS_BAR 5013
#define IDM_SIDE_FOLDERS 5014
#define IDM_SIDE_FAVORITES 5015
#define IDM_SORT_MENU_BUTTON 5018
#define IDM_NEXT_TAB 5027
#define IDM_PREVIOUS_TAB 5028
#define IDM_CLOSE_RIGHT 5029
#define IDM_CLOSE_LEFT 5030
#define IDM_CLOSE_ALL 5031
#define IDM_CLOSE_OTHERS 5032
#define IDM_OPTIONS 5037
#define IDM_ABOUT 5038
#define IDM_CUSTOMIZE_TOOLBAR 5041
#define IDM_SIDE_SEARCH 5042
#define IDM_HELP 5047
#define IDM_VIEW_MENU_BUTTON 5048
#define IDM_ADD_FAVORITE 5049
#define IDM_ADD_LINK 5050
#define IDM_VIEW_LARGE 5058
#define IDM_VIEW_SMALL 5059
#define IDM_VIEW_LIST 5060
#define IDM_VIEW_DETAILS 5061
#define IDM_VIEW_THUMBNAILS 5062
#define IDM_THUMBNAIL_PANE 5066
#define IDM_LAUNCH_ADD 5067
#define IDM_GROUP_ORGANIZE 5069
#define IDM_GROUP_ADD 5071
#define IDM_DISPLAY_FILTER 5072
#define IDM_KEYS_PROGRAM 5073
#define IDM_REOPEN_LAST 5074
#define IDM_GESTURES 5078
#define IDM_CLOSE 5079
#define IDM_FOCUS_NEXT 5080
#define IDM_KEYS_LIST 5081
#define IDM_FOCUS_PREVIOUS 5082
#define IDM_FOCUS_VIEW 5083
#define IDM_FOCUS_SIDE 5084
#define IDM_FOCUS_TOOLBAR 5085
#define IDM_FOCUS_ADDRESS 5086
#define IDM_FOCUS_LINKS 5087
#define IDM_CHILD_MAXIMIZE 5095
#define IDM_CHILD_MINIMIZE 5096
#define IDM_FOLDER_OPTIONS 5100
#define IDM_TREE_HIDDEN 5101
#define IDM_LAUNCH_ORGANIZE 5103
#define IDM_SCRIPT_ORGANIZE 5104
#define IDM_LIST_HIDDEN 5105
#define IDM_LIST_TOOLTIPS 5106
#define IDM_STATUS_INFO 5107
#define IDM_SCRIPT_ADD 5108
#define IDM_MODE_NORMAL 5110
#define IDM_MODE_TAB 5111
#define IDM_MODE_COLUMNS 5112
#define IDM_MODE_ROWS 5113
#define IDM_FOCUS_TABS 5114
#define IDM_TAB_POPUP 5115
#define IDM_TAB_CONTEXT 5116
#define IDM_TAB_NOTHING 5117
#define IDM_NEW_FROM_TREE 5118
#define IDM_SHELL_FIND 5119
#define IDM_SHELL_OPEN 5120
#define IDM_CLOSED_MENU 5121
#define IDM_ARRANGE_MENU 5122
#define IDM_GROUPS_MENU 5124
#define IDM_SCRIPTS_MENU 5125
#define IDM_LAUNCHER_MENU 5126
#define IDM_WINDOW_MODE_MENU 5127
#define IDM_TOOLBARS_MENU 5128
#define IDM_QUICK_OPTIONS_MENU 5129
#define IDM_LAUNCH_SELECT 5130
#define IDM_TREE_SYNC 5131
#define IDM_GO_BUTTON 5132
#define IDM_ALLOW_RDRAG 5133
#define IDM_ALLOW_SAME_FOLDER 5134
#define IDM_NEW_DESKTOP 5135
#define IDM_NEW_CURRENT 5136
#define IDM_NEW_CLIPBOARD 5137
#define IDM_LINK_MENU 5148
#define IDM_UNDO 5149
#define IDM_BACK 5150
#define IDM_FORWARD 5151
#define IDM_NAVIGATE_LOCK 5152
#define IDM_SIDE_MENU 5171
#define IDM_SEARCH_BAR 5172
#define IDM_HIDE_SIDE_TOOLBAR 5175
#define IDM_CUSTOMIZE_SIDE_TOOLBAR 5176
#define IDM_SIDE_TOOLBAR_LEFT 5177
#define IDM_SIDE_TOOLBAR 5178
#define IDM_STOP_SEARCH 5179

// Item commands: the folder view, the search list and the trees carry them out.
#define IDM_GO_UP 5200
#define IDM_GO_UP_NEW_TAB 5201
#define IDM_OPEN 5202
#define IDM_OPEN_NEW_TAB 5203
#define IDM_PROPERTIES 5204
#define IDM_DELETE 5205
#define IDM_RENAME 5206
#define IDM_REFRESH 5207
#define IDM_SELECT_ALL 5208
#define IDM_INVERT_SELECTION 5209
#define IDM_COPY 5210
#define IDM_NEW_FOLDER 5212
#define IDM_EXTENDED_RENAME 5213
#define IDM_PASTE 5214
#define IDM_CUT 5215
#define IDM_CONTEXT_MENU 5218
#define IDM_CREATE_SHORTCUT 5220
#define IDM_OPEN_BACKGROUND 5222
#define IDM_OPEN_ASSOCIATION 5223
#define IDM_PASTE_SHORTCUT 5224
#define IDM_LIST_TOP 5225
#define IDM_LIST_BOTTOM 5226
#define IDM_PAGE_TOP 5227
#define IDM_PAGE_BOTTOM 5228
#define IDM_INCREMENTAL_SEARCH 5229
#define IDM_FILE_SELECT 5230
// The item menu's own entry above the shell's, for one folder.
#define IDM_CONTEXT_OPEN_NEW_TAB 1607

// Side bar: the close button's command, and the folder tree's own item
// at the top of a node's context menu.
#define IDM_SIDE_CLOSE 8196
#define IDM_TREE_OPEN_NEW_TAB 1606

// Command ranges. The fixed vocabulary, with the item commands at its top;
// then the dynamic identifiers, which carry an index or an item's identifier
// as their offset from the first of their range.
#define IDM_FIXED_FIRST 5000
#define IDM_FIXED_LAST 5299
#define IDM_ITEM_FIRST 5200
#define IDM_ITEM_LAST 5299
// The dynamic identifiers lie from here on; the ranges begin at 10400.
#define IDM_DYNAMIC_FIRST 10000
#define IDM_CLOSED_FIRST 10400
#define IDM_CLOSED_LAST 10599
#define IDM_GROUP_FIRST 10600
#define IDM_GROUP_LAST 10799
#define IDM_RESERVED_FIRST 10800
#define IDM_RESERVED_LAST 10999
#define IDM_SORT_FIRST 11000
#define IDM_SORT_LAST 11199
#define IDM_LAUNCH_FIRST 15000
#define IDM_LAUNCH_LAST 19999
#define IDM_SCRIPT_FIRST 20000
#define IDM_SCRIPT_LAST 24999

// The extended rename dialog IDD_RENAME (a named resource) and its controls.
#define IDC_RENAME_ICON 7060
#define IDC_RENAME_OLD 7061
#define IDC_RENAME_BASE 7062
#define IDC_RENAME_ABORT_ALL 7063
#define IDC_RENAME_SPLIT 7064
#define IDC_RENAME_FOLDER 7065
#define IDC_RENAME_EXTENSION 7066
#define IDC_RENAME_WHOLE 7067

// The about box.
#define IDC_VERSION_ICON 7248
#define IDC_VERSION_TEXT 7249
#define IDC_VERSION_LINK 7250

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

// Favorite group dialogs (IDD_FAVORITEGROUP_ADD, IDD_FAVORITE_GROUP,
// IDD_FAVORITE_GROUP_EDIT) and their controls.
#define IDC_GROUP_NAME 5070
#define IDC_GROUP_UP 7160
#define IDC_GROUP_DOWN 7161
#define IDC_GROUP_ADD 7178
#define IDC_GROUP_EDIT 7179
#define IDC_GROUP_DELETE 7180
#define IDC_GROUP_LIST 7247
#define IDC_GROUP_NEW_NAME 7254

// Toolbars: the button names (one string, "|" before each name), and the
// text-and-icon page DLG_TEXTICONOPTIONS (a named resource) of the
// customise dialog with its two choices.
#define IDS_TOOLBUTTON_NAMES 7219
#define IDC_TEXT_OPTIONS 7217
#define IDC_ICON_OPTIONS 7218
