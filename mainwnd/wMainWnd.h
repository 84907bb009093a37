#pragma once
// The frame window: process-wide frame state, creation, layout, the
// notification area and the exit sequence.

#include <windows.h>
#include <commctrl.h>

inline constexpr wchar_t kFrameClassName[] = L"ZEKOClass";
inline constexpr wchar_t kChildClassName[] = L"ZEKOChildClass";

// Settings of the root key that the frame and the child windows own.
struct FrameSettings {
    int closeHistoryCount = 10;
    int windowMode = 0;
    bool ddeActive = true;
    int delayTime = 200;
    bool navigateLockClose = false;
    bool minimizeTaskTray = false;
    bool closeTaskTray = false;
    bool treeSync = true;
};

// Window handles of the frame and its bars and panes; a bar or pane that does
// not exist (not shown, or not built in this program yet) is null.
struct FrameState {
    HWND frame = nullptr;
    HWND mdiClient = nullptr;
    HWND rebar = nullptr;
    HWND toolBar = nullptr;
    HWND sideToolBar = nullptr;
    HWND linkBar = nullptr;
    HWND addressBar = nullptr;
    HWND addressContainer = nullptr;
    HWND searchBar = nullptr;
    HWND searchCombo = nullptr;
    HWND statusBar = nullptr;
    HWND tabBar = nullptr;
    HWND sideBar = nullptr;
    HWND sideCaption = nullptr;
    HWND folderTreePane = nullptr;
    HWND folderTree = nullptr;
    HWND favoritePane = nullptr;
    HWND favoriteTree = nullptr;
    HWND searchPane = nullptr;
    HWND thumbnailPane = nullptr;
    HIMAGELIST largeImages = nullptr;
    HIMAGELIST smallImages = nullptr;
    HWND rememberedFocus = nullptr;
    bool sideToolBarLeft = true;
    // Folder enumeration may show the shell's own dialogs (owner window) only
    // once start-up has restored its tabs.
    bool interactive = false;
    FrameSettings settings;
};

FrameState& Frame();

// Registers the classes, runs the first settings load, creates and shows the frame.
HWND CreateMainWindow(HINSTANCE instance, int showCommand);
// The settings read after the frame exists.
void LoadSecondSettings();
void Relayout();
void ToTray();
void FromTray();
// Confirmation kinds: 0 exit, 1 add favorite, 2 delete favorite.
bool ConfirmAction(int kind);
