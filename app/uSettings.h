#pragma once
// Names and defaults of the settings the frame owns (the values at the root of
// the settings key, the Color area and the WindowSize area) and the subkey
// name of every area. A default is written down here and nowhere else; read a
// value with SettingsRead(key, RootSettings::DelayTime) from app/uReg.h.

#include <cstdint>

struct BoolSetting {
    const wchar_t* name;
    bool def;
};

struct IntSetting {
    const wchar_t* name;
    int def;
};

// A COLORREF, 0x00BBGGRR.
struct ColorSetting {
    const wchar_t* name;
    std::uint32_t def;
};

// Texts default to empty.
struct TextSetting {
    const wchar_t* name;
};

// Subkeys below the settings root, for SettingsOpen and SettingsCreate.
namespace SettingsArea {
inline constexpr wchar_t Root[] = L"";
inline constexpr wchar_t WindowSize[] = L"WindowSize";
inline constexpr wchar_t Color[] = L"Color";
inline constexpr wchar_t Confirm[] = L"Confirm";
inline constexpr wchar_t Tab[] = L"Tab";
inline constexpr wchar_t PIDLs[] = L"PIDLs";
inline constexpr wchar_t StartupPIDLs[] = L"StartupPIDLs";
inline constexpr wchar_t CloseHistoryPIDLs[] = L"CloseHistoryPIDLs";
inline constexpr wchar_t FolderView[] = L"FolderView";
inline constexpr wchar_t FolderTree[] = L"FolderTree";
inline constexpr wchar_t FavoriteTree[] = L"FavoriteTree";
inline constexpr wchar_t Tree[] = L"Tree";
inline constexpr wchar_t ReBar[] = L"ReBar";
inline constexpr wchar_t LinkBar[] = L"LinkBar";
inline constexpr wchar_t AddressBar[] = L"AddressBar";
inline constexpr wchar_t ToolBar[] = L"ToolBar";
inline constexpr wchar_t SideToolBar[] = L"SideToolBar";
inline constexpr wchar_t StatusBar[] = L"StatusBar";
inline constexpr wchar_t LaunchItems[] = L"LaunchItems";
inline constexpr wchar_t Script[] = L"Script";
inline constexpr wchar_t MouseGesture[] = L"MouseGesture";
inline constexpr wchar_t FavoriteGroup[] = L"FavoriteGroup";
}  // namespace SettingsArea

// Values directly under the settings root. The ID-list lists PIDLs,
// StartupPIDLs and CloseHistoryPIDLs are subkeys: see SettingsArea.
namespace RootSettings {
inline constexpr BoolSetting ToolBarVisible{L"ToolBarVisible", true};
inline constexpr BoolSetting SideToolBarVisible{L"SideToolBarVisible", false};
inline constexpr BoolSetting LinkBarVisible{L"LinkBarVisible", true};
inline constexpr BoolSetting AddressBarVisible{L"AddressBarVisible", true};
inline constexpr BoolSetting SearchBarVisible{L"SearchBarVisible", true};
inline constexpr BoolSetting StatusBarVisible{L"StatusBarVisible", true};
// 0 none, 1 folder tree, 2 favorites, 3 search.
inline constexpr IntSetting SideBaseVisible{L"SideBaseVisible", 0};
inline constexpr BoolSetting ThumbnailVisible{L"ThumbnailVisible", false};
inline constexpr IntSetting SideBaseWidth{L"SideBaseWidth", 180};
// 0 normal, 1 tab, 2 two panes top and bottom, 3 two panes left and right.
inline constexpr IntSetting WindowMode{L"WindowMode", 0};
inline constexpr BoolSetting SaveWindowSize{L"SaveWindowSize", false};
// Only the low 16 bits are used.
inline constexpr IntSetting CloseHistoryCount{L"CloseHistoryCount", 10};
inline constexpr BoolSetting CloseHistorySave{L"CloseHistorySave", true};
inline constexpr BoolSetting DDEActive{L"DDEActive", true};
// Milliseconds.
inline constexpr IntSetting DelayTime{L"DelayTime", 200};
inline constexpr BoolSetting NavigateLockClose{L"NavigateLockClose", false};
inline constexpr BoolSetting MinimizeTaskTray{L"MinimizeTaskTray", false};
inline constexpr BoolSetting CloseTaskTray{L"CloseTaskTray", false};
inline constexpr BoolSetting TreeSync{L"TreeSync", true};
inline constexpr BoolSetting DialogControl{L"DialogControl", true};
inline constexpr BoolSetting StopCmd{L"StopCmd", true};
inline constexpr BoolSetting StopCtrl{L"StopCtrl", true};
inline constexpr BoolSetting DeskTopOpen{L"DeskTopOpen", true};
inline constexpr BoolSetting StartTaskTray{L"StartTaskTray", false};
inline constexpr BoolSetting SaveTab{L"SaveTab", false};
inline constexpr IntSetting ActiveTab{L"ActiveTab", 0};
inline constexpr BoolSetting Startup{L"Startup", false};
inline constexpr BoolSetting StartupLock{L"StartupLock", false};
// Record arrays: one byte per saved tab; the key tables; the gesture table.
inline constexpr wchar_t NavigateLocks[] = L"NavigateLocks";
inline constexpr wchar_t Accels[] = L"Accels";
inline constexpr wchar_t Commands[] = L"Commands";
inline constexpr wchar_t MouseGestures[] = L"MouseGestures";
}  // namespace RootSettings

// Values of SettingsArea::WindowSize: the frame's window rectangle in screen
// pixels. A missing coordinate leaves the system to choose (CW_USEDEFAULT).
namespace WindowSizeSettings {
inline constexpr int UseDefault = static_cast<int>(0x80000000u);
inline constexpr BoolSetting MAXIMIZE{L"MAXIMIZE", false};
inline constexpr BoolSetting MINIMIZE{L"MINIMIZE", false};
inline constexpr IntSetting Left{L"Left", UseDefault};
inline constexpr IntSetting Top{L"Top", UseDefault};
inline constexpr IntSetting Width{L"Width", UseDefault};
inline constexpr IntSetting Height{L"Height", UseDefault};
}  // namespace WindowSizeSettings

// Values of SettingsArea::Color.
namespace ColorSettings {
inline constexpr ColorSetting clListViewBK{L"clListViewBK", 0xFFFFFF};
inline constexpr ColorSetting clDirectory{L"clDirectory", 0x000000};
inline constexpr ColorSetting clHidden{L"clHidden", 0xB00000};
inline constexpr ColorSetting clReadOnly{L"clReadOnly", 0x00B000};
inline constexpr ColorSetting clSystem{L"clSystem", 0x0000B0};
inline constexpr ColorSetting clCompressed{L"clCompressed", 0xB000B0};
inline constexpr ColorSetting clNormalString{L"clNormalString", 0x000000};
inline constexpr ColorSetting clEvenBK{L"clEvenBK", 0xEEEEEE};
inline constexpr BoolSetting TVColorGroup{L"TVColorGroup", false};
inline constexpr BoolSetting LVColorGroup{L"LVColorGroup", false};
inline constexpr BoolSetting SetEvenBK{L"SetEvenBK", false};
inline constexpr BoolSetting LVSetBKColor{L"LVSetBKColor", false};
inline constexpr TextSetting BKImagePath{L"BKImagePath"};
}  // namespace ColorSettings
