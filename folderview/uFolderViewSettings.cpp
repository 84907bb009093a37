#include "folderview/uFolderViewSettings.h"

#include "app/uReg.h"

#include <shlobj.h>

#include <algorithm>

namespace names = FolderViewSettingNames;

DWORD FolderViewSettings::EnumFlags() const {
    DWORD flags = SHCONTF_FOLDERS | SHCONTF_NONFOLDERS;
    if (ShowHidden) flags |= SHCONTF_INCLUDEHIDDEN;
    return flags;
}

FolderViewSettings& FolderViewConfig() {
    static FolderViewSettings settings;
    return settings;
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
        SettingsReadInto(k, names::WildCardCount.name, s.WildCardCount);
        SettingsReadInto(k, names::FileSelectCount.name, s.FileSelectCount);
    }
    UniqueRegKey explorer;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer", 0,
                      KEY_READ, explorer.put()) == ERROR_SUCCESS)
        SettingsReadInto(explorer.get(), names::ThumbnailSize.name, s.ThumbnailSize);
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
