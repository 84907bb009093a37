#pragma once
// The frame window: process-wide frame state, creation, layout, the
// notification area and the exit sequence.

#include "app/Handles.h"
#include "app/uSettings.h"

#include <windows.h>
#include <commctrl.h>

#include <string>

inline constexpr wchar_t kFrameClassName[] = L"ZEKOClass";
inline constexpr wchar_t kChildClassName[] = L"ZEKOChildClass";

inline constexpr UINT kRebarId = 1500;

// The notification-area icon and the message its events arrive with.
inline constexpr UINT WM_TRAYNOTIFY = 1602;
inline constexpr UINT kTrayIconId = 1603;

// Switches of the Confirm area: on means the question is asked.
namespace ConfirmSettings {
inline constexpr BoolSetting Exit{L"Exit", false};
inline constexpr BoolSetting Favorite{L"Favorite", true};
inline constexpr BoolSetting DelFavorite{L"DelFavorite", true};
}  // namespace ConfirmSettings

enum ConfirmKind { ConfirmExit = 0, ConfirmAddFavorite = 1, ConfirmDeleteFavorite = 2 };

// Settings of the root key that the frame and the child windows own.
struct FrameSettings {
    int closeHistoryCount = RootSettings::CloseHistoryCount.def;
    int windowMode = RootSettings::WindowMode.def;
    bool ddeActive = RootSettings::DDEActive.def;
    int delayTime = RootSettings::DelayTime.def;
    bool navigateLockClose = RootSettings::NavigateLockClose.def;
    bool minimizeTaskTray = RootSettings::MinimizeTaskTray.def;
    bool closeTaskTray = RootSettings::CloseTaskTray.def;
    bool treeSync = RootSettings::TreeSync.def;
};

// The Color area: read with the frame, written at exit; the folder view and
// the folder tree draw with these.
struct FrameColors {
    COLORREF listViewBK = ColorSettings::clListViewBK.def;
    COLORREF directory = ColorSettings::clDirectory.def;
    COLORREF hidden = ColorSettings::clHidden.def;
    COLORREF readOnly = ColorSettings::clReadOnly.def;
    COLORREF system = ColorSettings::clSystem.def;
    COLORREF compressed = ColorSettings::clCompressed.def;
    COLORREF normalString = ColorSettings::clNormalString.def;
    COLORREF evenBK = ColorSettings::clEvenBK.def;
    bool tvColorGroup = ColorSettings::TVColorGroup.def;
    bool lvColorGroup = ColorSettings::LVColorGroup.def;
    bool setEvenBK = ColorSettings::SetEvenBK.def;
    bool lvSetBKColor = ColorSettings::LVSetBKColor.def;
    std::wstring bkImagePath;
};

// The frame's placement as read at start-up; a coordinate the settings do not
// give stays CW_USEDEFAULT.
struct FramePlacement {
    int left = CW_USEDEFAULT;
    int top = CW_USEDEFAULT;
    int width = CW_USEDEFAULT;
    int height = CW_USEDEFAULT;
    bool maximize = false;
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
    // The frame is hidden and its icon stands in the notification area.
    bool inTray = false;
    UniqueIcon trayIcon;
    FrameSettings settings;
    FrameColors colors;
    FramePlacement placement;
};

FrameState& Frame();

// Registers the classes, runs the first settings load, creates and shows the frame.
HWND CreateMainWindow(HINSTANCE instance, int showCommand);
// The settings read after the frame exists.
void LoadSecondSettings();
// Lays the frame's children out again; call after showing, hiding or resizing a bar.
void Relayout();
void ToTray();
void FromTray();
// Confirmation kinds: 0 exit, 1 add favorite, 2 delete favorite. True means go on.
bool ConfirmAction(int kind);
// Saves every setting and destroys the frame. Unless forced, asks first
// (when the Exit switch is on); false when the answer was no and nothing changed.
bool RunExitSequence(bool forced);

// Registers the frame's class and the child windows' class.
void RegisterFrameClasses(HINSTANCE instance);
// First settings load: the root values the frame needs before it exists, its
// placement and the Color area.
void LoadFirstSettings();
// Exit-sequence writes of the frame's own values; each its own step so the
// order stays that of the sequence.
void SaveBarVisibility(HKEY root);
void SaveWindowPlacement(HKEY root);
void SaveFrameSettings(HKEY root);
void LoadColors();
void SaveColors();

// Window procedure parts kept in their own units.
LRESULT OnTrayNotify(HWND frame, WPARAM id, LPARAM event);
void ReAddTrayIcon();
