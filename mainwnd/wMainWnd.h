#pragma once
// The frame window: process-wide frame state, creation, layout, the
// notification area and the exit sequence.

#include "app/Handles.h"
#include "app/uFrameLink.h"
#include "app/uSettings.h"

#include <windows.h>
#include <commctrl.h>

#include <string>

inline constexpr wchar_t kFrameClassName[] = L"ZEKOClass";

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

// Written beside the bars' visibility values by every exit that has bars.
// Builds before the bars wrote each bar as hidden at exit; in a profile
// without this mark a stored "hidden" is not the user's choice.
inline constexpr BoolSetting BarVisibilitySaved{L"BarVisibilitySaved", false};

enum ConfirmKind { ConfirmExit = 0, ConfirmAddFavorite = 1, ConfirmDeleteFavorite = 2 };

// The frame's placement as read at start-up; a coordinate the settings do not
// give stays CW_USEDEFAULT.
struct FramePlacement {
    int left = CW_USEDEFAULT;
    int top = CW_USEDEFAULT;
    int width = CW_USEDEFAULT;
    int height = CW_USEDEFAULT;
    bool maximize = false;
};

// Window handles of the frame's bars and panes; a bar or pane that does not
// exist (not shown, or not built in this program yet) is null. The frame
// window itself, the MDI client and the frame's settings are in FrameLink(),
// FrameConfig() and ColorConfig(), where the lower layers reach them.
struct FrameState {
    HWND rebar = nullptr;
    HWND toolBar = nullptr;
    HWND sideToolBar = nullptr;
    HWND linkBar = nullptr;
    HWND addressBar = nullptr;
    HWND addressContainer = nullptr;
    HWND searchBar = nullptr;
    HWND searchCombo = nullptr;
    HWND statusBar = nullptr;
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
    // The profile's bar visibility values were written by a build with bars.
    bool barVisibilityTrusted = false;
    // The frame is hidden and its icon stands in the notification area.
    bool inTray = false;
    UniqueIcon trayIcon;
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

// The address bar in the rebar's band: made, or its band shown or hidden (command 5010).
void CreateFrameAddressBar();
void ToggleAddressBar();
// The standard toolbar in its band (command 5009) and the side toolbar at the
// frame's edge (command 5178), made when first shown; the commands of both
// bars' menus are registered once with the frame's router.
void CreateFrameToolBar();
void ToggleToolBar();
void CreateFrameSideToolBar();
void ToggleSideToolBar();
void RegisterToolBarCommands();

// Registers the frame's class and the child windows' class.
void RegisterFrameClasses(HINSTANCE instance);
// First settings load: the root values the frame needs before it exists, its
// placement and the Color area.
void LoadFirstSettings();
// Exit-sequence writes of the frame's own values; each its own step so the
// order stays that of the sequence.
void SaveBarVisibility(HKEY root);
// A bar's stored visibility; a stored "hidden" counts only in a profile that
// an exit with bars has marked (see BarVisibilitySaved).
bool ReadBarVisible(HKEY root, const BoolSetting& setting);
void SaveWindowPlacement(HKEY root);
void SaveFrameSettings(HKEY root);
void LoadColors();
void SaveColors();

// Window procedure parts kept in their own units.
LRESULT OnTrayNotify(HWND frame, WPARAM id, LPARAM event);
void ReAddTrayIcon();
