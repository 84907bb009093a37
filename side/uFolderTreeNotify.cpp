// How the folder tree learns of folders made, renamed and removed: the
// shell's change notifications for the whole namespace, and where those miss
// changes made outside the program's own shell calls, a directory watcher on
// each of the most recently expanded file-system folders.

#include "side/uFolderTreeNodes.h"

#include "app/Global.h"
#include "shell/uCapabilities.h"
#include "shell/uDirWatcher.h"

#include <algorithm>

namespace {

constexpr LONG kTreeEvents = 0x0803FFF8;

UniqueAbsolutePidl ParentOf(PCIDLIST_ABSOLUTE list) { return UniqueAbsolutePidl(PIDLParent(list)); }

void OnMakeFolder(PCIDLIST_ABSOLUTE folder) {
    if (!folder || !folder->mkid.cb) return;
    UniqueAbsolutePidl parentList = ParentOf(folder);
    TTreeNode* parent = FindNode(parentList.get());
    if (!parent || !parent->filled || !parent->folder) return;
    PCUITEMID_CHILD last = PIDLLastChild(folder);
    if (FindChild(*parent, last)) return;
    UniqueChildPidl real;
    if (FAILED(SHGetRealIDL(parent->folder.get(), last, real.put())) || !real) return;
    if (!InsertNode(*parent, real.release())) return;
    SortChildren(*parent);
    SetChildrenOnDemand(*parent);
}

void OnRemoveFolder(PCIDLIST_ABSOLUTE folder) {
    TTreeNode* node = folder && folder->mkid.cb ? FindNode(folder) : nullptr;
    if (!node || !node->parent) return;
    TTreeNode* parent = node->parent;
    TreeView_DeleteItem(TreeState().tree, node->handle);
    SetChildrenOnDemand(*parent);
}

void OnRenameFolder(PCIDLIST_ABSOLUTE from, PCIDLIST_ABSOLUTE to) {
    if (!from || !to || !from->mkid.cb || !to->mkid.cb) return;
    UniqueAbsolutePidl oldParent = ParentOf(from);
    UniqueAbsolutePidl newParent = ParentOf(to);
    if (!PIDLEqual(oldParent.get(), newParent.get())) {
        OnRemoveFolder(from);
        OnMakeFolder(to);
        return;
    }
    TTreeNode* node = FindNode(from);
    if (!node || !node->parent || FindChild(*node->parent, PIDLLastChild(to))) return;
    UniqueChildPidl real;
    if (FAILED(SHGetRealIDL(node->parent->folder.get(), PIDLLastChild(to), real.put())) || !real) return;
    node->item = std::move(real);
    ResetNodeDisplay(*node, true);
    // Its levels below were bound through the old name.
    if (node->filled) CollapseReset(*node);
    SortChildren(*node->parent);
}

void ApplyEvent(LONG event, PCIDLIST_ABSOLUTE first, PCIDLIST_ABSOLUTE second) {
    FolderTreeState& state = TreeState();
    switch (event) {
    case SHCNE_MKDIR: OnMakeFolder(first); break;
    case SHCNE_RMDIR: OnRemoveFolder(first); break;
    case SHCNE_RENAMEFOLDER: OnRenameFolder(first, second); break;
    case SHCNE_UPDATEDIR:
        if (TTreeNode* node = FindNode(first)) RefreshNode(*node);
        break;
    case SHCNE_DRIVEREMOVED:
    case SHCNE_DRIVEADD:
    case SHCNE_DRIVEADDGUI:
        if (TTreeNode* node = FindNode(state.drivesPidl.get())) RefreshNode(*node);
        break;
    case SHCNE_MEDIAREMOVED:
        if (TTreeNode* node = FindNode(first)) {
            ResetNodeDisplay(*node, true);
            CollapseReset(*node);
        }
        break;
    case SHCNE_MEDIAINSERTED:
    case SHCNE_NETSHARE:
    case SHCNE_NETUNSHARE:
    case SHCNE_ATTRIBUTES:
    case SHCNE_UPDATEITEM:
    case SHCNE_SERVERDISCONNECT:
        if (TTreeNode* node = FindNode(first)) ResetNodeDisplay(*node, true);
        break;
    }
}

bool IsDirectory(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
    std::wstring path = folder;
    if (!path.empty() && path.back() != L'\\') path += L'\\';
    return path + name;
}

// Whether a child node of `node` bears the file name `name`.
bool HasChildNamed(const TTreeNode& node, const std::wstring& name) {
    HWND tree = TreeState().tree;
    for (HTREEITEM item = TreeView_GetChild(tree, node.handle); item; item = TreeView_GetNextSibling(tree, item)) {
        TTreeNode* child = NodeOf(item);
        STRRET text{};
        if (!child || FAILED(node.folder->GetDisplayNameOf(child->item.get(), SHGDN_INFOLDER | SHGDN_FORPARSING, &text)))
            continue;
        if (CompareStringOrdinal(StrRetToText(&text, child->item.get()).c_str(), -1, name.c_str(), -1, TRUE) ==
            CSTR_EQUAL)
            return true;
    }
    return false;
}

// Whether the changes seen in the folder `path` touch its sub-folders, and
// so the node's level must be listed again.
bool TouchesFolders(const TTreeNode& node, const std::wstring& path, const std::vector<DirChange>& changes) {
    for (const DirChange& change : changes) {
        switch (change.kind) {
        case DirChange::Added:
            if (IsDirectory(JoinPath(path, change.name))) return true;
            break;
        case DirChange::Removed:
            if (HasChildNamed(node, change.name)) return true;
            break;
        case DirChange::Renamed:
            if (HasChildNamed(node, change.name) || IsDirectory(JoinPath(path, change.newName))) return true;
            break;
        case DirChange::Modified: break;
        case DirChange::SelfRemoved:
        case DirChange::SelfRenamed:
        case DirChange::Overflow: return true;
        }
    }
    return false;
}

}  // namespace

void RegisterTreeNotify() {
    FolderTreeState& state = TreeState();
    SHChangeNotifyEntry entry{App().desktopPidl.get(), TRUE};
    state.notifyId = SHChangeNotifyRegister(state.pane, SHCNRF_ShellLevel | SHCNRF_NewDelivery, kTreeEvents,
                                            WM_TREE_CHANGENOTIFY, 1, &entry);
}

void DeregisterTreeNotify() {
    FolderTreeState& state = TreeState();
    if (state.notifyId) SHChangeNotifyDeregister(state.notifyId);
    state.notifyId = 0;
    state.watches.clear();
}

void OnTreeChangeNotify(HANDLE notification, DWORD processId) {
    PIDLIST_ABSOLUTE* lists = nullptr;
    LONG event = 0;
    HANDLE lock = SHChangeNotification_Lock(notification, processId, &lists, &event);
    if (!lock) return;
    // The lists are copied: acting on them may take long enough for another
    // notification, and the lock must not be held meanwhile.
    UniqueAbsolutePidl first(lists && lists[0] ? PIDLClone(lists[0]) : nullptr);
    UniqueAbsolutePidl second(lists && lists[1] ? PIDLClone(lists[1]) : nullptr);
    SHChangeNotification_Unlock(lock);
    ApplyEvent(event & ~SHCNE_INTERRUPT, first.get(), second.get());
}

void WatchNode(TTreeNode& node) {
    if (PlatformCapabilities().changeNotifyFromOutside || !node.parent) return;
    FolderTreeState& state = TreeState();
    auto found = std::find_if(state.watches.begin(), state.watches.end(),
                              [&](const TreeWatch& watch) { return watch.serial == node.serial; });
    if (found != state.watches.end()) {
        state.watches.splice(state.watches.begin(), state.watches, found);
        return;
    }
    UniqueAbsolutePidl absolute = NodeAbsolute(node);
    const std::wstring path = absolute ? PIDLFileSystemPath(absolute.get()) : std::wstring();
    if (path.empty() || !IsDirectory(path)) return;
    TreeWatch watch;
    watch.serial = node.serial;
    watch.watcher = TDirWatcher::Start(path, state.pane, WM_TREE_WATCHER, 0, static_cast<LPARAM>(node.serial));
    if (!watch.watcher) return;
    state.watches.push_front(std::move(watch));
    // The folder expanded longest ago gives up its watch.
    if (state.watches.size() > kMaxTreeWatches) state.watches.pop_back();
}

void UnwatchNode(ULONG serial) {
    TreeState().watches.remove_if([&](const TreeWatch& watch) { return watch.serial == serial; });
}

void OnWatcherSignal(ULONG serial) {
    FolderTreeState& state = TreeState();
    auto found = std::find_if(state.watches.begin(), state.watches.end(),
                              [&](const TreeWatch& watch) { return watch.serial == serial; });
    if (found == state.watches.end()) return;
    const std::vector<DirChange> changes = found->watcher->TakeChanges();
    TTreeNode* node = NodeBySerial(serial);
    if (!node || !node->filled || !node->folder) return;
    if (!TouchesFolders(*node, found->watcher->Folder(), changes)) return;
    const bool selfGone = std::any_of(changes.begin(), changes.end(), [](const DirChange& change) {
        return change.kind == DirChange::SelfRemoved || change.kind == DirChange::SelfRenamed;
    });
    if (selfGone && node->parent) {
        UnwatchNode(serial);
        RefreshNode(*node->parent);
        return;
    }
    RefreshNode(*node);
}
