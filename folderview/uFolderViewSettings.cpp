#include "folderview/uFolderViewSettings.h"

#include "app/uReg.h"
#include "folderview/uViewStateStore.h"
#include "shell/uDpi.h"

#include <shlobj.h>

#include <algorithm>

namespace names = FolderViewSettingNames;

namespace {

constexpr wchar_t kExplorerKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";
constexpr int kImageGrowth = 16;

// List-view style bits a folder view can take besides its fixed ones. The
// rest are dropped at load: the window bits above 0xFFFF turn the list into a
// captioned pop-up, owner data or owner drawing leave it empty, no scrolling
// or no header leave parts of it out of reach, self-sorting fights the view's
// own sort, and the view mode is the view's to set.
constexpr DWORD kUsableListStyles =
    LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOLABELWRAP | LVS_AUTOARRANGE | LVS_EDITLABELS | LVS_ALIGNLEFT |
    LVS_NOSORTHEADER;
// Extended bits kept likewise; hidden labels, a single row, regions and the
// later layout bits change what the view shows behind its back.
constexpr DWORD kUsableListExStyles =
    LVS_EX_GRIDLINES | LVS_EX_SUBITEMIMAGES | LVS_EX_CHECKBOXES | LVS_EX_TRACKSELECT | LVS_EX_HEADERDRAGDROP |
    LVS_EX_FULLROWSELECT | LVS_EX_ONECLICKACTIVATE | LVS_EX_TWOCLICKACTIVATE | LVS_EX_INFOTIP | LVS_EX_UNDERLINEHOT |
    LVS_EX_UNDERLINECOLD | LVS_EX_LABELTIP | LVS_EX_BORDERSELECT | LVS_EX_DOUBLEBUFFER;
constexpr BYTE kLastViewStyle = 4;
constexpr BYTE kLastMiddleClick = 3;
// Below this a new column is too narrow to read a character.
constexpr BYTE kMinCharWidth = 20;
constexpr WORD kMinListWidth = 16;
constexpr WORD kMaxListWidth = 4096;
// The sizes the system offers for thumbnails.
constexpr WORD kMinThumbnailSize = 32;
constexpr WORD kMaxThumbnailSize = 256;

// Every value as far as it can mean something; defaults where nothing does.
void KeepUsable(FolderViewSettings& s) {
    s.LVS_FLAGS &= kUsableListStyles;
    s.LVS_EX_FLAGS &= kUsableListExStyles;
    if (s.IniViewStyle > kLastViewStyle) s.IniViewStyle = FolderViewSettingNames::IniViewStyle.def;
    if (s.MClick > kLastMiddleClick) s.MClick = FolderViewSettingNames::MClick.def;
    if (s.CharWidth < kMinCharWidth) s.CharWidth = FolderViewSettingNames::CharWidth.def;
    if (s.ListWidth < kMinListWidth) s.ListWidth = FolderViewSettingNames::ListWidth.def;
    s.ListWidth = std::min(s.ListWidth, kMaxListWidth);
    if (s.ThumbnailSize == 0) s.ThumbnailSize = FolderViewSettingNames::ThumbnailSize.def;
    s.ThumbnailSize = std::clamp(s.ThumbnailSize, kMinThumbnailSize, kMaxThumbnailSize);
}

void MakeImages(int thumbnailSide) {
    FolderViewImageSet& images = FolderViewImages();
    HINSTANCE instance = GetModuleHandleW(nullptr);
    // Shared by every view, so made for the DPI the process started with.
    const UINT dpi = SystemDpi();
    images.Shortcut.reset(LoadBitmapForDpi(instance, L"SHORTCUT", dpi));
    images.Hand.reset(LoadBitmapForDpi(instance, L"HAND", dpi));
    images.Thumbnails.reset(ImageList_Create(thumbnailSide, thumbnailSide, ILC_COLOR32 | ILC_MASK, 0, kImageGrowth));
    const int smallSide = SmallIconSide(dpi);
    images.Small.reset(ImageList_Create(smallSide, smallSide, ILC_COLOR32 | ILC_MASK, 0, kImageGrowth));
}

// The limit is the one the options dialog last stored, not a value kept since start-up.
void SaveHistory(HKEY folderView, const wchar_t* subkey, const std::vector<std::wstring>& entries,
                 const IntSetting& limitSetting) {
    const auto limit = static_cast<DWORD>(SettingsRead(folderView, limitSetting));
    const size_t kept = std::min<size_t>(limit, entries.size());
    SettingsWriteStringList(folderView, subkey, std::vector<std::wstring>(entries.begin(), entries.begin() + kept));
}

}  // namespace

DWORD FolderViewSettings::EnumFlags() const {
    DWORD flags = SHCONTF_FOLDERS | SHCONTF_NONFOLDERS;
    if (ShowHidden) flags |= SHCONTF_INCLUDEHIDDEN;
    return flags;
}

FolderViewSettings& FolderViewConfig() {
    static FolderViewSettings settings;
    return settings;
}

FolderViewImageSet& FolderViewImages() {
    static FolderViewImageSet images;
    return images;
}

void LoadFolderViewSettings() {
    FolderViewSettings& s = FolderViewConfig();
    s = FolderViewSettings();
    UniqueRegKey key;
    if (SettingsOpen(SettingsArea::FolderView, key)) {
        HKEY k = key.get();
        SettingsReadInto(k, names::PopupInfo.name, s.PopupInfo);
        SettingsReadInto(k, names::ToolTipShowFolderInfo.name, s.ToolTipShowFolderInfo);
        SettingsReadInto(k, names::StatusInfo.name, s.StatusInfo);
        SettingsReadInto(k, names::SplitFileName.name, s.SplitFileName);
        SettingsReadInto(k, names::DBClickUp.name, s.DBClickUp);
        SettingsReadInto(k, names::ShowHidden.name, s.ShowHidden);
        SettingsReadInto(k, names::IniViewStyle.name, s.IniViewStyle);
        SettingsReadInto(k, names::LVS_FLAGS.name, s.LVS_FLAGS);
        SettingsReadInto(k, names::LVS_EX_FLAGS.name, s.LVS_EX_FLAGS);
        SettingsReadInto(k, names::MClick.name, s.MClick);
        SettingsReadInto(k, names::CharWidth.name, s.CharWidth);
        SettingsReadInto(k, names::ListWidth.name, s.ListWidth);
        SettingsReadInto(k, names::AlertCount.name, s.AlertCount);
        SettingsReadInto(k, names::FocuseExecute.name, s.FocuseExecute);
        SettingsReadInto(k, names::FullPath.name, s.FullPath);
        SettingsReadInto(k, names::AllowRDrag.name, s.AllowRDrag);
        SettingsReadInto(k, names::UseCache.name, s.UseCache);
        SettingsReadInto(k, names::CalcAllSize.name, s.CalcAllSize);
        SettingsReadInto(k, names::AllowSameFolder.name, s.AllowSameFolder);
        s.WildCard = SettingsReadStringList(k, names::WildCard);
        s.FileSelect = SettingsReadStringList(k, names::FileSelect);
        s.SearchQuery = SettingsReadStringList(k, names::SearchQuery);
    }
    LoadStates();
    UniqueRegKey explorer;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kExplorerKey, 0, KEY_READ, explorer.put()) == ERROR_SUCCESS)
        SettingsReadInto(explorer.get(), names::ThumbnailSize.name, s.ThumbnailSize);
    KeepUsable(s);
    MakeImages(s.ThumbnailSize);
}

void SaveFolderViewSettings() {
    UniqueRegKey key;
    if (!SettingsCreate(SettingsArea::FolderView, key)) return;
    const FolderViewSettings& s = FolderViewConfig();
    HKEY k = key.get();
    SettingsWrite(k, names::PopupInfo, s.PopupInfo);
    SettingsWrite(k, names::ToolTipShowFolderInfo, s.ToolTipShowFolderInfo);
    SettingsWrite(k, names::StatusInfo, s.StatusInfo);
    SettingsWrite(k, names::SplitFileName, s.SplitFileName);
    SettingsWrite(k, names::DBClickUp, s.DBClickUp);
    SettingsWrite(k, names::ShowHidden, s.ShowHidden);
    SettingsWrite(k, names::IniViewStyle, s.IniViewStyle);
    SettingsWrite(k, names::LVS_FLAGS, static_cast<int>(s.LVS_FLAGS));
    SettingsWrite(k, names::LVS_EX_FLAGS, static_cast<int>(s.LVS_EX_FLAGS));
    SettingsWrite(k, names::MClick, s.MClick);
    SettingsWrite(k, names::CharWidth, s.CharWidth);
    SettingsWrite(k, names::ListWidth, s.ListWidth);
    SettingsWrite(k, names::AlertCount, s.AlertCount);
    SettingsWrite(k, names::FocuseExecute, s.FocuseExecute);
    SettingsWrite(k, names::FullPath, s.FullPath);
    SettingsWrite(k, names::AllowRDrag, s.AllowRDrag);
    SettingsWrite(k, names::UseCache, s.UseCache);
    SettingsWrite(k, names::CalcAllSize, s.CalcAllSize);
    SettingsWrite(k, names::AllowSameFolder, s.AllowSameFolder);
    SaveHistory(k, names::WildCard, s.WildCard, names::WildCardCount);
    SaveHistory(k, names::FileSelect, s.FileSelect, names::FileSelectCount);
    SaveHistory(k, names::SearchQuery, s.SearchQuery, names::FileSelectCount);
    key.reset();
    SaveStates();
    FolderViewImages() = FolderViewImageSet{};
}

std::vector<std::wstring>& DisplayFilter() {
    static std::vector<std::wstring> patterns;
    return patterns;
}

bool WildcardMatch(const wchar_t* pattern, const wchar_t* name) {
    for (;;) {
        if (*pattern == L'\0') return *name == L'\0';
        if (*pattern == L'?') {
            if (*name == L'\0') return false;
        } else if (*pattern == L'*') {
            const wchar_t next = pattern[1];
            if (next == L'\0') return true;
            for (const wchar_t* at = name; *at; ++at) {
                if (*at == next && WildcardMatch(pattern + 2, at + 1)) return true;
            }
            return false;
        } else if (*pattern != *name) {
            return false;
        }
        ++pattern;
        ++name;
    }
}

bool DisplayFilterAccepts(std::wstring name) {
    const std::vector<std::wstring>& patterns = DisplayFilter();
    if (patterns.empty()) return true;
    if (!name.empty()) CharUpperBuffW(name.data(), static_cast<DWORD>(name.size()));
    return std::any_of(patterns.begin(), patterns.end(),
                       [&](const std::wstring& pattern) { return WildcardMatch(pattern.c_str(), name.c_str()); });
}
