#pragma once
// The command vocabulary's routing: every WM_COMMAND the frame gets goes
// through OnFrameCommand, every main-menu submenu that opens through
// PrepareFrameMenu. Commands whose owners are built later reach them through
// the command registry (app/uCommandRegistry.h); until an owner registers,
// its commands do nothing.

#include <windows.h>
#include <shellapi.h>

class TMDIChildContent;

// The search pane's result list, the last stop of the backward focus walk.
inline constexpr int kSearchPaneListId = 7068;

// The panes other than the folder view that carry item commands, and the
// other owners the routing hands whole messages to.
struct CommandRoutes {
    // True when the tree carried the command out; the dispatch ends there.
    bool (*folderTreeCommand)(WORD command) = nullptr;
    bool (*favoriteTreeCommand)(WORD command) = nullptr;
    void (*searchListCommand)(TMDIChildContent& list, WORD command) = nullptr;
    // The link bar takes the commands of its own buttons whole.
    void (*linkBarCommand)(WPARAM wParam) = nullptr;
    // An item of the favorites menu: its identifier and the modifier set held
    // (1 Shift, 2 Ctrl, 4 Alt).
    void (*favoriteMenuItem)(UINT id, BYTE modifiers) = nullptr;
    // Whether the folder tree shows hidden items, while the tree pane exists.
    bool (*treeShowsHidden)() = nullptr;
    // The two panes of the split window modes, once the client keeps them;
    // without them no mode counts as split.
    HWND (*firstPane)() = nullptr;
    HWND (*secondPane)() = nullptr;
    // How the shell is asked to open or search a folder; tests watch it here.
    BOOL(WINAPI* shellExecute)(SHELLEXECUTEINFOW* info) = ShellExecuteExW;
};

CommandRoutes& Routing();

// The in-memory option "最近閉じたフォルダは新しいウインドウで開く" (not stored).
bool& ReopenClosedInNewWindow();

// The frame's WM_COMMAND; false for identifiers the routing does not know,
// which go on to the default frame processing.
bool OnFrameCommand(HWND frame, WPARAM wParam, LPARAM lParam);
// The frame's WM_INITMENUPOPUP for the main menu's submenus.
void PrepareFrameMenu(HWND frame, HMENU popup);

// The default whole-program table (resource MYACCEL), given to the message
// loop when no table of the user's is in effect yet.
void UseDefaultAccelerators(HINSTANCE instance);
