// How the folder view learns about changes: the shell's change notifications,
// and where they do not cover changes made outside the program's own shell
// calls, a directory watcher whose findings go through the same actions.

#include "folderview/wFolderView.h"

#include "app/Global.h"
#include "folderview/uFolderViewSettings.h"
#include "folderview/uViewStateStore.h"
#include "res/resource.h"
#include "shell/uCapabilities.h"
#include "shell/uDirWatcher.h"
#include "shell/uThumbCache.h"

#include <shlwapi.h>

namespace {

constexpr int kNotifySources = SHCNRF_InterruptLevel | SHCNRF_ShellLevel | SHCNRF_NewDelivery;
constexpr LONG kRecycleBinEvents = 0x2381F;
constexpr LONG kDesktopEvents = 0x802BE1F;
constexpr LONG kPrintersEvents = 0xB807;
constexpr LONG kMyComputerEvents = 0x2B7E5;
constexpr LONG kNetworkEvents = 0x803FFFF;
constexpr LONG kFolderEvents = 0x2B81F;
// More watcher changes than this at once are cheaper to take in by one merge
// than item by item (each looks its item up in the whole list).
constexpr size_t kMaxSingleChanges = 32;

bool SameFolder(PCIDLIST_ABSOLUTE a, const UniqueAbsolutePidl& special) {
    return special && PIDLEqual(a, special.get());
}

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
    std::wstring path = folder;
    if (!path.empty() && path.back() != L'\\') path += L'\\';
    return path + name;
}

// A notification may name a folder by a list built from its path alone, whose
// item IDs differ from the folder's own (a directory typed as a file, for
// one); the same file-system path makes it the same folder.
bool SameLocation(PCIDLIST_ABSOLUTE a, PCIDLIST_ABSOLUTE b) {
    wchar_t pathA[MAX_PATH] = {};
    wchar_t pathB[MAX_PATH] = {};
    // Between file-system folders the paths decide: the shell's own comparison
    // may have compared names through a narrow code page.
    if (SHGetPathFromIDListW(a, pathA) && SHGetPathFromIDListW(b, pathB) && pathA[0] && pathB[0])
        return CompareStringOrdinal(pathA, -1, pathB, -1, TRUE) == CSTR_EQUAL;
    return PIDLEqual(a, b);
}

bool IsDirectory(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

void TFolderView::RegisterChangeNotify() {
    auto add = [&](PCIDLIST_ABSOLUTE list, LONG events) {
        SHChangeNotifyEntry entry{list, FALSE};
        if (ULONG id = SHChangeNotifyRegister(ChildWindow, kNotifySources, events, WM_CHANGENOTIFY_CHILD, 1, &entry))
            NotifyIDs.push_back(id);
    };
    const AppObjects& app = App();
    if (SameFolder(AbsoluteIDList, app.recycleBinPidl)) {
        const DWORD drives = GetLogicalDrives();
        for (int drive = 0; drive < 26; ++drive) {
            if (!(drives & (1u << drive))) continue;
            wchar_t root[] = L"A:\\";
            root[0] = static_cast<wchar_t>(L'A' + drive);
            if (GetDriveTypeW(root) != DRIVE_FIXED) continue;
            std::wstring recycler = std::wstring(root) + L"RECYCLER";
            UniqueAbsolutePidl list;
            if (app.desktop && SUCCEEDED(app.desktop->ParseDisplayName(nullptr, nullptr, recycler.data(), nullptr,
                                                                      DesktopParseResult(list.put()), nullptr)) && list)
                add(list.get(), kRecycleBinEvents);
        }
    } else if (AbsoluteIDList->mkid.cb == 0 || SameFolder(AbsoluteIDList, app.desktopPidl)) {
        add(AbsoluteIDList, kDesktopEvents);
    } else if (SameFolder(AbsoluteIDList, app.printersPidl)) {
        add(AbsoluteIDList, kPrintersEvents);
    } else if (SameFolder(AbsoluteIDList, app.myComputerPidl)) {
        add(AbsoluteIDList, kMyComputerEvents);
    } else if (SameFolder(AbsoluteIDList, app.networkPidl)) {
        add(AbsoluteIDList, kNetworkEvents);
    } else {
        add(AbsoluteIDList, kFolderEvents);
    }

    if (PlatformCapabilities().changeNotifyFromOutside) return;
    const std::wstring path = PIDLFileSystemPath(AbsoluteIDList);
    if (!path.empty() && IsDirectory(path))
        DirWatcher = TDirWatcher::Start(path, ChildWindow, WM_CHANGENOTIFY_CHILD, 0, kDirWatcherSignal,
                                        TDirWatcher::RecyclePeriod, TDirWatcher::Arming::Return);
}

void TFolderView::DeregisterChangeNotify() {
    for (ULONG id : NotifyIDs) SHChangeNotifyDeregister(id);
    NotifyIDs.clear();
    DirWatcher.reset();
}

void TFolderView::OnChangeNotify(HANDLE notification, DWORD processId) {
    if (!notification) {
        if (static_cast<LPARAM>(processId) != kDirWatcherSignal || !DirWatcher) return;
        // The watcher signals only when its queue turns non-empty: a queue
        // left full here would never be signalled again.
        if (Filling())
            fill_.watcherPending = true;
        else if (NotifyEnabled)
            DrainDirWatcher();
        else
            DirWatcher->TakeChanges();
        return;
    }
    PIDLIST_ABSOLUTE* lists = nullptr;
    LONG event = 0;
    // Locked and unlocked even while disabled: the unlock frees the
    // notification's shared memory.
    HANDLE lock = SHChangeNotification_Lock(notification, processId, &lists, &event);
    if (!lock) return;
    FolderAction action;
    if (NotifyEnabled && Folder && lists && Filling()) {
        DeferredChange change;
        change.event = event & ~SHCNE_INTERRUPT;
        change.first.reset(PIDLClone(lists[0]));
        change.second.reset(PIDLClone(lists[1]));
        fill_.changes.push_back(std::move(change));
    } else if (NotifyEnabled && Folder && lists) {
        action = ApplyChangeEvent(event & ~SHCNE_INTERRUPT, lists[0], lists[1]);
    }
    SHChangeNotification_Unlock(lock);
    FinishFolderAction(action);
}

TFolderView::FolderAction TFolderView::ApplyChangeEvent(LONG event, PCIDLIST_ABSOLUTE first, PCIDLIST_ABSOLUTE second) {
    FolderAction action;
    switch (event) {
    case SHCNE_RENAMEITEM:
        RenameItem(first, second);
        break;
    case SHCNE_CREATE:
    case SHCNE_MKDIR:
    case SHCNE_DRIVEADD:
        AddOrUpdate(first);
        break;
    case SHCNE_DELETE:
    case SHCNE_RMDIR:
    case SHCNE_DRIVEREMOVED:
        if (first && IsThisFolder(first)) {
            action.kind = FolderAction::Gone;
            return action;
        }
        RemoveItem(first);
        break;
    case SHCNE_ATTRIBUTES:
        if (ViewMode == 3) break;
        [[fallthrough]];
    case SHCNE_MEDIAINSERTED:
    case SHCNE_MEDIAREMOVED:
    case SHCNE_NETSHARE:
    case SHCNE_NETUNSHARE:
    case SHCNE_UPDATEITEM:
        if (!first || IsThisFolder(first))
            RefreshView(RefreshMerge);
        else
            AddOrUpdate(first);
        break;
    case SHCNE_UPDATEIMAGE:
        if (!second) {
            RefreshView(RefreshFull);
        } else if (const int image = SHHandleUpdateImage(second); image != -1) {
            const int count = ItemCount();
            for (int i = 0; i < count; ++i) {
                LVITEMW item{};
                item.mask = LVIF_IMAGE;
                item.iItem = i;
                if (!ListView_GetItem(ListView, &item) || item.iImage != image) continue;
                item.iImage = I_IMAGECALLBACK;
                ListView_SetItem(ListView, &item);
            }
        }
        break;
    case SHCNE_RENAMEFOLDER:
        if (first && IsThisFolder(first)) {
            UniqueAbsolutePidl reparsed;
            if (!second || !PIDLReparse(second, *reparsed.put()) || !reparsed) return action;
            UniqueAbsolutePidl parent(PIDLParent(AbsoluteIDList));
            action.newList.reset(PIDLAppend(parent.get(), PIDLLastChild(reparsed.get())));
            if (action.newList) action.kind = FolderAction::Renamed;
            return action;
        }
        RenameItem(first, second);
        break;
    default:
        RefreshView(RefreshMerge);
        break;
    }
    if (RenameNew && (event == SHCNE_CREATE || event == SHCNE_MKDIR)) StartRenameLastItem();
    return action;
}

void TFolderView::FinishFolderAction(FolderAction& action) {
    switch (action.kind) {
    case FolderAction::None:
        break;
    case FolderAction::Gone: {
        NotifyEnabled = false;
        DeregisterChangeNotify();
        UniqueAbsolutePidl parent(PIDLParent(AbsoluteIDList));
        UniqueChildPidl name(PIDLClone(PIDLLastChild(AbsoluteIDList)));
        Host->OpenInNewTab(parent.release(), Host->IsActive(), name.get());
        CloseOwnTab();
        break;
    }
    case FolderAction::Renamed:
        DeregisterChangeNotify();
        MoveState(AbsoluteIDList, action.newList.get());
        Relocate(action.newList.release(), nullptr);
        break;
    }
}

bool TFolderView::IsThisFolder(PCIDLIST_ABSOLUTE absolute) const {
    return absolute && AbsoluteIDList && SameLocation(absolute, AbsoluteIDList);
}

// Only the folder's own children are listed: an event about an item elsewhere
// that happens to share a name with one of ours must not touch ours.
bool TFolderView::IsInThisFolder(PCIDLIST_ABSOLUTE absolute) const {
    if (!absolute || absolute->mkid.cb == 0 || !AbsoluteIDList) return false;
    UniqueAbsolutePidl parent(PIDLParent(absolute));
    if (!parent) return false;
    if (parent.get()->mkid.cb == 0 || AbsoluteIDList->mkid.cb == 0)
        return parent.get()->mkid.cb == 0 && AbsoluteIDList->mkid.cb == 0;
    return SameLocation(parent.get(), AbsoluteIDList);
}

// Some shells answer SHGetRealIDL with the item's whole ID list from the
// desktop; a list item holds only its own item ID.
UniqueChildPidl TFolderView::RealChildID(PCUITEMID_CHILD relative) const {
    UniqueChildPidl real;
    if (FAILED(SHGetRealIDL(Folder.get(), relative, real.put())) || !real) return UniqueChildPidl();
    if (PIDLCount(real.get()) > 1) real.reset(PIDLClone(PIDLLastChild(real.get())));
    return real;
}

void TFolderView::AddOrUpdate(PCIDLIST_ABSOLUTE absolute) {
    if (!absolute) {
        RefreshView(RefreshMerge);
        return;
    }
    if (!IsInThisFolder(absolute)) return;
    PCUITEMID_CHILD last = PIDLLastChild(absolute);
    const int index = FindItem(last);
    UniqueChildPidl real = RealChildID(last);
    if (index >= 0) {
        // An item ID carries the item's size and times: the fresh one replaces
        // it, or the list would go on showing what the item was.
        if (real) SetItemIDList(index, real.release());
        ResetItem(index);
        return;
    }
    if (!real) return;
    // A new item obeys the same rules as the enumeration: no hidden item
    // unless hidden items are listed, nothing the display filter hides.
    if (!FolderViewConfig().ShowHidden) {
        PCUITEMID_CHILD item = real.get();
        SFGAOF attributes = SFGAO_HIDDEN;
        if (SUCCEEDED(Folder->GetAttributesOf(1, &item, &attributes)) && (attributes & SFGAO_HIDDEN)) return;
    }
    if (!PassesFilter(real.get())) return;
    InsertItem(real.release(), 0);
}

bool TFolderView::RemoveItem(PCIDLIST_ABSOLUTE absolute) {
    if (!IsInThisFolder(absolute)) return false;
    const int index = FindItem(PIDLLastChild(absolute));
    if (index < 0) return false;
    const int count = ItemCount();
    if (count > 1 && index == count - 1 && ListView_GetNextItem(ListView, -1, LVNI_FOCUSED) == index)
        ListView_SetItemState(ListView, index - 1, LVIS_FOCUSED, LVIS_FOCUSED);
    DeleteItemAt(index);
    ListView_Arrange(ListView, LVA_DEFAULT);
    return true;
}

void TFolderView::RenameItem(PCIDLIST_ABSOLUTE oldList, PCIDLIST_ABSOLUTE newList) {
    if (!oldList || !newList) {
        RefreshView(RefreshMerge);
        return;
    }
    if (!IsInThisFolder(oldList)) {
        AddOrUpdate(newList);
        return;
    }
    if (!IsInThisFolder(newList)) {
        RemoveItem(oldList);
        return;
    }
    const int index = FindItem(PIDLLastChild(oldList));
    const int existing = FindItem(PIDLLastChild(newList));
    // The new name is listed already (the change was seen twice, through the
    // shell and the watcher): drop the old name instead of showing the new one twice.
    if (existing >= 0 && existing != index) {
        if (index >= 0) RemoveItem(oldList);
        const int now = FindItem(PIDLLastChild(newList));
        if (now >= 0) ResetItem(now);
        return;
    }
    UniqueChildPidl real = index >= 0 ? RealChildID(PIDLLastChild(newList)) : UniqueChildPidl();
    if (!real) {
        RefreshView(RefreshMerge);
        return;
    }
    SetItemIDList(index, real.release());
    ResetItem(index);
}

void TFolderView::StartRenameLastItem() {
    const int last = ItemCount() - 1;
    if (last < 0) return;
    FocusAndSelect(last);
    ExecuteCommand(IDM_RENAME);
}

UniqueChildPidl TFolderView::ParseChild(const std::wstring& name) const {
    UniqueChildPidl list;
    std::wstring buffer = name;
    if (FAILED(Folder->ParseDisplayName(nullptr, nullptr, buffer.data(), nullptr, ChildParseResult(list.put()),
                                        nullptr)))
        list.reset();
    return list;
}

// The watcher's findings become the shell's events for the same changes, and
// go through the same actions. A change that is already visible (an item
// present, a name already gone) leaves the list as it is.
void TFolderView::DrainDirWatcher() {
    if (!DirWatcher || !Folder) return;
    std::vector<DirChange> changes = DirWatcher->TakeChanges();
    // Our thumbnail cache lives in the folder it serves; its own writes would
    // otherwise make every cache flush refresh the list.
    std::erase_if(changes, [](const DirChange& change) {
        return change.kind == DirChange::Modified && SameParsingName(change.name, kThumbnailStoreFileName);
    });
    const std::wstring folderPath = DirWatcher->Folder();
    bool batch = changes.size() > kMaxSingleChanges;
    for (const DirChange& change : changes) {
        if (change.kind == DirChange::SelfRemoved || change.kind == DirChange::SelfRenamed) batch = false;
    }
    if (batch) {
        RefreshView(RefreshMerge);
        return;
    }

    const LONG generation = Generation;
    auto absolute = [&](PCUITEMID_CHILD relative) { return UniqueAbsolutePidl(PIDLAppend(AbsoluteIDList, relative)); };
    for (const DirChange& change : changes) {
        FolderAction action;
        switch (change.kind) {
        case DirChange::Added:
        case DirChange::Modified: {
            UniqueChildPidl child = ParseChild(change.name);
            if (!child) break;
            LONG event = SHCNE_UPDATEITEM;
            if (change.kind == DirChange::Added)
                event = IsDirectory(JoinPath(folderPath, change.name)) ? SHCNE_MKDIR : SHCNE_CREATE;
            action = ApplyChangeEvent(event, absolute(child.get()).get(), nullptr);
            break;
        }
        case DirChange::Removed: {
            const int index = FindItemByParsingName(change.name);
            if (index < 0) break;
            action = ApplyChangeEvent(SHCNE_DELETE, absolute(ItemIDList(index)).get(), nullptr);
            break;
        }
        case DirChange::Renamed: {
            const int index = FindItemByParsingName(change.name);
            UniqueChildPidl child = ParseChild(change.newName);
            if (index >= 0 && child)
                action = ApplyChangeEvent(SHCNE_RENAMEITEM, absolute(ItemIDList(index)).get(),
                                          absolute(child.get()).get());
            else if (index >= 0)
                action = ApplyChangeEvent(SHCNE_DELETE, absolute(ItemIDList(index)).get(), nullptr);
            else if (child)
                action = ApplyChangeEvent(SHCNE_CREATE, absolute(child.get()).get(), nullptr);
            break;
        }
        case DirChange::SelfRemoved: {
            UniqueAbsolutePidl self(PIDLClone(AbsoluteIDList));
            action = ApplyChangeEvent(SHCNE_RMDIR, self.get(), nullptr);
            break;
        }
        case DirChange::SelfRenamed: {
            UniqueAbsolutePidl self(PIDLClone(AbsoluteIDList));
            UniqueAbsolutePidl renamed;
            std::wstring path = change.newName;
            if (FAILED(App().desktop->ParseDisplayName(nullptr, nullptr, path.data(), nullptr,
                                                       DesktopParseResult(renamed.put()), nullptr)) ||
                !renamed)
                break;
            action = ApplyChangeEvent(SHCNE_RENAMEFOLDER, self.get(), renamed.get());
            break;
        }
        case DirChange::Overflow:
            RefreshView(RefreshMerge);
            break;
        }
        if (action.kind != FolderAction::None) {
            // The view shows another folder now, or its tab is closing: the
            // remaining changes were about the old one.
            FinishFolderAction(action);
            return;
        }
        // A refresh that fell back to the parent folder moved the view on.
        if (!NotifyEnabled || Generation != generation) return;
    }
}
