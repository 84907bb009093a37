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

constexpr UINT_PTR kReplayTimerId = 0x5A4B;

// The start-up folders that open once the frame has shown with the active one.
struct ReplayState {
    StartupFolders startup;
    bool pending = false;
    int first = 0;          // the folder opened at once
    HWND anchor = nullptr;  // its window, if it opened
    int base = 0;           // tabs that stood before the replay
};

ReplayState& Replay() {
    static ReplayState state;
    return state;
}

// Opens folder `index` of the replay at the end of the row, whatever the
// user's AddPos, and locks the window it opened when asked.
HWND OpenReplayed(int index, bool activate) {
    ReplayState& replay = Replay();
    const int addPos = std::exchange(TabBar().settings.addPos, kAppendTab);
    HWND child = OpenChildWindow(replay.startup.folders[index].release(), activate, nullptr, ContentFolder);
    TabBar().settings.addPos = addPos;
    // The lock goes to the window this folder opened, not to the tab at its
    // position: a folder already open (or gone) opens no tab.
    if (TMDIChildView* view = child && replay.startup.locks[index] ? ChildViewOf(child) : nullptr)
        SetNavigateLock(*view, true);
    return child;
}

// A timer's message comes after the frame's paint: the frame shows with the
// active tab before the tabs behind it open.
void CALLBACK FinishOnTimer(HWND, UINT, UINT_PTR, DWORD) { FinishStartupFolders(); }

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
    Replay() = {};
    if (startup.folders.empty()) {
        FrameLink().interactive = true;
        return;
    }
    ReplayState& replay = Replay();
    const int count = static_cast<int>(startup.folders.size());
    replay.first = startup.active >= 0 && startup.active < count ? startup.active : 0;
    replay.base = TabCount();
    replay.startup = std::move(startup);
    replay.pending = true;
    replay.anchor = OpenReplayed(replay.first, true);
    HWND client = FrameLink().mdiClient;
    if (count == 1 || !client || !SetTimer(client, kReplayTimerId, USER_TIMER_MINIMUM, FinishOnTimer))
        FinishStartupFolders();
}

void FinishStartupFolders() {
    ReplayState& replay = Replay();
    if (!replay.pending) return;
    replay.pending = false;
    if (HWND client = FrameLink().mdiClient) KillTimer(client, kReplayTimerId);
    // Each tab opens at the end of the row and moves next to the replayed tab
    // before it, so the row comes back in its saved order even around tabs
    // that opened in the meantime (the command line's).
    HWND previous = nullptr;
    for (int i = 0, count = static_cast<int>(replay.startup.folders.size()); i < count; ++i) {
        if (i == replay.first) {
            if (replay.anchor && IsWindow(replay.anchor)) previous = replay.anchor;
            continue;
        }
        HWND child = OpenReplayed(i, false);
        if (!child) continue;
        int target = replay.base;
        if (previous && IsWindow(previous))
            target = TabIndexOf(previous) + 1;
        else if (replay.anchor && IsWindow(replay.anchor))
            target = TabIndexOf(replay.anchor);
        if (const int from = TabIndexOf(child); from > target) MoveTab(from, target);
        previous = child;
    }
    replay = {};
    FrameLink().interactive = true;
}

bool StartupReplayPending() { return Replay().pending; }

void SaveOpenTabs(HKEY root) {
    // Tabs still waiting to open belong to the row that is saved.
    FinishStartupFolders();
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
