#include "mdi/uStartupTabs.h"

#include "app/Global.h"
#include "app/UtilClass.h"
#include "app/uFrameLink.h"
#include "app/uReg.h"
#include "app/uSettings.h"
#include "mdi/uClosedFolders.h"
#include "mdi/wMDIChild.h"
#include "mdi/wMDITab.h"

#include <cstdint>
#include <utility>

namespace {

constexpr int kAppendTab = 1;

// The stored lists that are sound, in their stored order.
std::vector<UniqueAbsolutePidl> LoadFolders(HKEY root, const wchar_t* subkey) {
    TPIDLList stored(true);
    stored.LoadList(root, subkey);
    std::vector<UniqueAbsolutePidl> folders;
    for (int i = 0; i < stored.Count(); ++i)
        if (UniqueAbsolutePidl folder(PIDLClone(StoredFolder(stored.Get(i)))); folder)
            folders.push_back(std::move(folder));
    return folders;
}

bool ReplaySkipped(HKEY root, bool startedWithArguments) {
    if (SettingsRead(root, RootSettings::StopCmd) && startedWithArguments) return true;
    return SettingsRead(root, RootSettings::StopCtrl) && GetKeyState(VK_CONTROL) < 0;
}

}  // namespace

StartupFolders LoadStartupFolders(bool startedWithArguments) {
    StartupFolders startup;
    UniqueRegKey root;
    SettingsOpen(SettingsArea::Root, root);
    if (!SettingsRead(root.get(), RootSettings::DialogControl)) FrameLink().interactive = true;
    if (ReplaySkipped(root.get(), startedWithArguments)) return startup;

    if (SettingsRead(root.get(), RootSettings::SaveTab)) {
        startup.active = SettingsRead(root.get(), RootSettings::ActiveTab);
        startup.folders = LoadFolders(root.get(), SettingsArea::PIDLs);
        const std::vector<std::uint8_t> locks = SettingsReadBinary(root.get(), RootSettings::NavigateLocks);
        startup.locks.assign(startup.folders.size(), false);
        // Missing bytes leave their tabs unlocked; extra bytes are ignored.
        for (size_t i = 0; i < locks.size() && i < startup.locks.size(); ++i) startup.locks[i] = locks[i] != 0;
    } else if (SettingsRead(root.get(), RootSettings::Startup)) {
        const bool lock = SettingsRead(root.get(), RootSettings::StartupLock);
        startup.folders = LoadFolders(root.get(), SettingsArea::StartupPIDLs);
        startup.locks.assign(startup.folders.size(), lock);
    }
    return startup;
}

void OpenStartupFolders(StartupFolders startup) {
    if (!startup.folders.empty()) {
        // The row is rebuilt in its saved order whatever the user's AddPos.
        const int addPos = std::exchange(TabBar().settings.addPos, kAppendTab);
        for (size_t i = 0; i < startup.folders.size(); ++i) {
            const bool activate = static_cast<int>(i) == startup.active;
            HWND child = OpenChildWindow(startup.folders[i].release(), activate, nullptr, ContentFolder);
            // The lock goes to the window this folder opened, not to the tab at
            // its position: a folder already open (or gone) opens no tab.
            if (TMDIChildView* view = child && startup.locks[i] ? ChildViewOf(child) : nullptr)
                SetNavigateLock(*view, true);
        }
        TabBar().settings.addPos = addPos;
    }
    FrameLink().interactive = true;
}

void SaveOpenTabs(HKEY root) {
    SettingsDeleteTree(root, SettingsArea::PIDLs);
    if (!SettingsRead(root, RootSettings::SaveTab)) {
        for (int i = 0, count = TabCount(); i < count; ++i)
            if (PCIDLIST_ABSOLUTE folder = ChildFolder(TabChild(i))) RecordClosed(folder);
        return;
    }
    SettingsWrite(root, RootSettings::ActiveTab, 0);
    TPIDLList folders(true);
    std::vector<std::uint8_t> locks;
    HWND active = ActiveChild();
    for (int i = 0, count = TabCount(); i < count; ++i) {
        HWND child = TabChild(i);
        PCIDLIST_ABSOLUTE folder = ChildFolder(child);
        if (!folder) continue;
        if (child == active) SettingsWrite(root, RootSettings::ActiveTab, folders.Count());
        folders.Add(PIDLClone(folder));
        const TMDIChildView* view = ChildViewOf(child);
        locks.push_back(view && view->NavigateLock ? 1 : 0);
    }
    if (folders.Count() == 0) return;
    folders.SaveList(root, SettingsArea::PIDLs);
    SettingsWriteBinary(root, RootSettings::NavigateLocks, locks.data(), locks.size());
}
