#pragma once
// Settings shared by every folder view (the FolderView area of the settings
// key) and the process-wide display filter.

#include "app/Handles.h"
#include "app/uSettings.h"

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

// Values of SettingsArea::FolderView. A default is written down here and nowhere else.
namespace FolderViewSettingNames {
inline constexpr BoolSetting PopupInfo{L"PopupInfo", false};
inline constexpr BoolSetting ToolTipShowFolderInfo{L"ToolTipShowFolderInfo", false};
inline constexpr BoolSetting StatusInfo{L"StatusInfo", false};
inline constexpr BoolSetting SplitFileName{L"SplitFileName", true};
inline constexpr BoolSetting DBClickUp{L"DBClickUp", true};
inline constexpr BoolSetting ShowHidden{L"ShowHidden", false};
// 0 large icons, 1 small icons, 2 list, 3 details, 4 thumbnails.
inline constexpr IntSetting IniViewStyle{L"IniViewStyle", 3};
inline constexpr IntSetting LVS_FLAGS{L"LVS_FLAGS", LVS_EDITLABELS};
inline constexpr IntSetting LVS_EX_FLAGS{L"LVS_EX_FLAGS", 0};
// Middle click on an item: 0 open in place, 1 new tab, 2 background tab, 3 nothing.
inline constexpr IntSetting MClick{L"MClick", 1};
inline constexpr IntSetting CharWidth{L"CharWidth", 60};
inline constexpr IntSetting ListWidth{L"ListWidth", 150};
inline constexpr IntSetting AlertCount{L"AlertCount", 10};
inline constexpr BoolSetting FocuseExecute{L"FocuseExecute", true};
inline constexpr BoolSetting FullPath{L"FullPath", false};
inline constexpr BoolSetting AllowRDrag{L"AllowRDrag", true};
inline constexpr BoolSetting UseCache{L"UseCache", false};
inline constexpr BoolSetting CalcAllSize{L"CalcAllSize", false};
inline constexpr BoolSetting AllowSameFolder{L"AllowSameFolder", false};
// Written by the options dialog only; read from the registry when the
// histories are saved, never kept.
inline constexpr IntSetting WildCardCount{L"WildCardCount", 10};
inline constexpr IntSetting FileSelectCount{L"FileSelectCount", 10};
// The histories' subkeys: one text per entry, most recent first.
inline constexpr wchar_t WildCard[] = L"WildCard";
inline constexpr wchar_t FileSelect[] = L"FileSelect";
inline constexpr wchar_t SearchQuery[] = L"SearchQuery";
// Under HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer; read, never written.
inline constexpr IntSetting ThumbnailSize{L"ThumbnailSize", 96};
}  // namespace FolderViewSettingNames

struct FolderViewSettings {
    bool PopupInfo = FolderViewSettingNames::PopupInfo.def;
    bool ToolTipShowFolderInfo = FolderViewSettingNames::ToolTipShowFolderInfo.def;
    bool StatusInfo = FolderViewSettingNames::StatusInfo.def;
    bool SplitFileName = FolderViewSettingNames::SplitFileName.def;
    bool DBClickUp = FolderViewSettingNames::DBClickUp.def;
    bool ShowHidden = FolderViewSettingNames::ShowHidden.def;
    BYTE IniViewStyle = FolderViewSettingNames::IniViewStyle.def;
    DWORD LVS_FLAGS = FolderViewSettingNames::LVS_FLAGS.def;
    DWORD LVS_EX_FLAGS = FolderViewSettingNames::LVS_EX_FLAGS.def;
    BYTE MClick = FolderViewSettingNames::MClick.def;
    BYTE CharWidth = FolderViewSettingNames::CharWidth.def;
    WORD ListWidth = FolderViewSettingNames::ListWidth.def;
    BYTE AlertCount = FolderViewSettingNames::AlertCount.def;
    bool FocuseExecute = FolderViewSettingNames::FocuseExecute.def;
    bool FullPath = FolderViewSettingNames::FullPath.def;
    bool AllowRDrag = FolderViewSettingNames::AllowRDrag.def;
    bool UseCache = FolderViewSettingNames::UseCache.def;
    bool CalcAllSize = FolderViewSettingNames::CalcAllSize.def;
    bool AllowSameFolder = FolderViewSettingNames::AllowSameFolder.def;
    WORD ThumbnailSize = FolderViewSettingNames::ThumbnailSize.def;
    // Most recent first: the display filter's, the file selection's and the
    // search bar's query history.
    std::vector<std::wstring> WildCard;
    std::vector<std::wstring> FileSelect;
    std::vector<std::wstring> SearchQuery;

    // SHCONTF flags every folder view enumerates with.
    DWORD EnumFlags() const;
};

FolderViewSettings& FolderViewConfig();

// Pictures every folder view shares, made when the settings are loaded and
// freed when they are saved.
struct FolderViewImageSet {
    // ThumbnailSize square, ILC_COLOR32 | ILC_MASK: thumbnail mode's image list.
    UniqueImageList Thumbnails;
    // The system's small icon side at the process's DPI, of the same kind.
    UniqueImageList Small;
    // Marks drawn on a thumbnail: "SHORTCUT" opaquely for a link, "HAND"
    // (white is left alone) for a shared item.
    UniqueBitmap Shortcut;
    UniqueBitmap Hand;
};
FolderViewImageSet& FolderViewImages();

// Start-up, before any window: defaults, then every stored value of the table,
// the histories, the view states, the system's thumbnail size and the shared
// pictures. Style bits a folder view cannot take are masked off and numbers
// outside their meaning clamped or set to their defaults.
void LoadFolderViewSettings();
// Exit: every scalar except the two history limits, which the options dialog
// owns; each history cut at its limit; the view states. Frees the pictures.
void SaveFolderViewSettings();

// The display filter: upper-cased wildcard patterns that decide which items
// every folder view lists; empty shows everything. Never saved.
std::vector<std::wstring>& DisplayFilter();
// True when the filter is empty or any pattern matches `name` (upper-cased here).
bool DisplayFilterAccepts(std::wstring name);
// "*" any run of characters, "?" exactly one; the character after a "*" is
// compared literally. Case-sensitive: callers upper-case both sides.
bool WildcardMatch(const wchar_t* pattern, const wchar_t* name);
