// The folder tree's nodes: making them, filling a level, finding, syncing to
// a folder and refreshing a level against the folder's present children.

#include "side/uFolderTreeNodes.h"

#include "app/Global.h"

#include <algorithm>

namespace {

// Redrawing stays off while a batch of changes goes in.
class RedrawOff {
public:
    explicit RedrawOff(HWND window) : window_(window) { SendMessageW(window_, WM_SETREDRAW, FALSE, 0); }
    ~RedrawOff() {
        SendMessageW(window_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(window_, nullptr, TRUE);
    }
    RedrawOff(const RedrawOff&) = delete;
    RedrawOff& operator=(const RedrawOff&) = delete;

private:
    HWND window_;
};


// MinGW's headers give IShellIconOverlay no __uuidof, so it is asked by its IID.
void QueryIconInterfaces(TTreeNode& node) {
    node.icon = node.folder.as<IShellIcon>();
    node.overlay.reset();
    node.folder->QueryInterface(IID_IShellIconOverlay, node.overlay.putVoid());
}

bool BindNode(TTreeNode& node) {
    if (node.folder) return true;
    if (!node.parent || !node.parent->folder) return false;
    if (FAILED(node.parent->folder->BindToObject(node.item.get(), nullptr, IID_PPV_ARGS(node.folder.put()))))
        return false;
    QueryIconInterfaces(node);
    return true;
}

// Inserts up to `count` waiting children; true when none waits any more.
bool InsertWaiting(PendingFill& fill, TTreeNode& node, size_t count) {
    const size_t end = std::min(fill.items.size(), fill.next + count);
    for (; fill.next < end; ++fill.next) InsertNode(node, fill.items[fill.next].release());
    return fill.next >= fill.items.size();
}

void PostFillStep() {
    FolderTreeState& state = TreeState();
    const bool waiting = std::any_of(state.fills.begin(), state.fills.end(),
                                     [](const PendingFill& fill) { return fill.listed; });
    if (state.fillStepPosted || !waiting) return;
    state.fillStepPosted = PostMessageW(state.pane, WM_TREE_FILLSTEP, 0, 0) != FALSE;
}

int CALLBACK CompareNodes(LPARAM a, LPARAM b, LPARAM folder) {
    return CompareInFolder(reinterpret_cast<IShellFolder*>(folder), reinterpret_cast<TTreeNode*>(a)->item.get(),
                           reinterpret_cast<TTreeNode*>(b)->item.get());
}

std::vector<TTreeNode*> ChildrenOf(const TTreeNode& node) {
    std::vector<TTreeNode*> children;
    HWND tree = TreeState().tree;
    for (HTREEITEM child = TreeView_GetChild(tree, node.handle); child; child = TreeView_GetNextSibling(tree, child))
        if (TTreeNode* record = NodeOf(child)) children.push_back(record);
    return children;
}

// A child the folder no longer lists may still be there (a hidden folder that
// a sync made); the shell's validation may answer for an item without looking,
// so a file-system folder is also looked for on disk.
bool StillThere(const TTreeNode& parent, const TTreeNode& child) {
    SFGAOF attributes = SFGAO_VALIDATE;
    PCUITEMID_CHILD item = child.item.get();
    if (FAILED(parent.folder->GetAttributesOf(1, &item, &attributes))) return false;
    UniqueAbsolutePidl absolute = NodeAbsolute(child);
    const std::wstring path = absolute ? PIDLFileSystemPath(absolute.get()) : std::wstring();
    return path.empty() || GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void SetNoChildren(const TTreeNode& node) {
    TVITEMW item{};
    item.mask = TVIF_CHILDREN | TVIF_HANDLE;
    item.hItem = node.handle;
    item.cChildren = 0;
    TreeView_SetItem(TreeState().tree, &item);
}

PendingFill* FillOf(ULONG serial) {
    for (PendingFill& fill : TreeState().fills)
        if (fill.serial == serial) return &fill;
    return nullptr;
}

PendingFill* FillOfRequest(ULONG request) {
    for (PendingFill& fill : TreeState().fills)
        if (fill.request == request) return &fill;
    return nullptr;
}

}  // namespace

SHCONTF TreeEnumFlags() {
    SHCONTF flags = SHCONTF_FOLDERS;
    if (TreeState().settings.showHidden) flags |= SHCONTF_INCLUDEHIDDEN;
    return flags;
}

std::vector<UniqueChildPidl> EnumerateSorted(IShellFolder* folder, SHCONTF flags, HWND owner) {
    std::vector<UniqueChildPidl> items;
    ComPtr<IEnumIDList> enumerator;
    if (!folder || folder->EnumObjects(owner, flags, enumerator.put()) != S_OK || !enumerator) return items;
    PITEMID_CHILD item = nullptr;
    while (enumerator->Next(1, &item, nullptr) == S_OK) items.emplace_back(item);
    std::stable_sort(items.begin(), items.end(), [folder](const UniqueChildPidl& a, const UniqueChildPidl& b) {
        return CompareInFolder(folder, a.get(), b.get()) < 0;
    });
    return items;
}

bool TreeFilling() { return !TreeState().fills.empty(); }

FolderTreeState& TreeState() {
    static FolderTreeState state;
    return state;
}

void SetTreeFillStep(size_t items) { TreeState().fillStep = std::max<size_t>(items, 1); }

TTreeNode* NodeOf(HTREEITEM item) {
    if (!item) return nullptr;
    TVITEMW query{};
    query.mask = TVIF_PARAM | TVIF_HANDLE;
    query.hItem = item;
    if (!TreeView_GetItem(TreeState().tree, &query)) return nullptr;
    return reinterpret_cast<TTreeNode*>(query.lParam);
}

TTreeNode* NodeBySerial(ULONG serial) {
    auto found = TreeState().nodes.find(serial);
    return found == TreeState().nodes.end() ? nullptr : found->second.get();
}

UniqueAbsolutePidl NodeAbsolute(const TTreeNode& node) {
    std::vector<const TTreeNode*> chain;
    for (const TTreeNode* step = &node; step && step->parent; step = step->parent) chain.push_back(step);
    UniqueAbsolutePidl absolute(PIDLClone(App().desktopPidl.get()));
    for (auto step = chain.rbegin(); step != chain.rend() && absolute; ++step)
        absolute.reset(PIDLAppend(absolute.get(), (*step)->item.get()));
    return absolute;
}

int CompareInFolder(IShellFolder* folder, PCUITEMID_CHILD a, PCUITEMID_CHILD b) {
    const HRESULT result = folder->CompareIDs(0, a, b);
    if (FAILED(result)) return 0;
    return static_cast<short>(HRESULT_CODE(result));
}

TTreeNode* InsertNode(TTreeNode& parent, PITEMID_CHILD item) {
    FolderTreeState& state = TreeState();
    auto node = std::make_unique<TTreeNode>();
    node->item.reset(item);
    node->parent = &parent;
    node->serial = state.nextSerial++;
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent.handle;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN | TVIF_PARAM;
    insert.item.pszText = LPSTR_TEXTCALLBACKW;
    insert.item.iImage = I_IMAGECALLBACK;
    insert.item.iSelectedImage = I_IMAGECALLBACK;
    insert.item.cChildren = I_CHILDRENCALLBACK;
    insert.item.lParam = reinterpret_cast<LPARAM>(node.get());
    node->handle = TreeView_InsertItem(state.tree, &insert);
    if (!node->handle) return nullptr;
    TTreeNode* record = node.get();
    state.nodes.emplace(record->serial, std::move(node));
    return record;
}

void InsertRoot() {
    FolderTreeState& state = TreeState();
    auto node = std::make_unique<TTreeNode>();
    node->folder = App().desktop;
    QueryIconInterfaces(*node);
    node->item.reset(static_cast<PITEMID_CHILD>(PIDLAlloc(0)));
    node->serial = state.nextSerial++;
    std::wstring name = PIDLDisplayName(App().desktopPidl.get());
    const int image = PIDLIconIndex(App().desktopPidl.get(), false, false);
    const int openImage = PIDLIconIndex(App().desktopPidl.get(), false, true);
    TVINSERTSTRUCTW insert{};
    insert.hParent = TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN | TVIF_PARAM;
    insert.item.pszText = name.data();
    insert.item.iImage = image;
    insert.item.iSelectedImage = openImage;
    insert.item.cChildren = 1;
    insert.item.lParam = reinterpret_cast<LPARAM>(node.get());
    node->handle = TreeView_InsertItem(state.tree, &insert);
    if (!node->handle) return;
    state.root = node.get();
    state.nodes.emplace(node->serial, std::move(node));
}

void SortChildren(TTreeNode& node) {
    if (!node.folder) return;
    TVSORTCB sort{};
    sort.hParent = node.handle;
    sort.lpfnCompare = CompareNodes;
    sort.lParam = reinterpret_cast<LPARAM>(node.folder.get());
    TreeView_SortChildrenCB(TreeState().tree, &sort, FALSE);
}

void FillNode(TTreeNode& node) {
    if (node.filled) return;
    node.filled = true;
    if (!BindNode(node)) return;
    // Watched from the first listing on, so that a level still empty learns of its first folder.
    WatchNode(node);
    FolderTreeState& state = TreeState();
    PendingFill fill;
    fill.serial = node.serial;
    fill.request = state.nextSerial++;
    // A level of thousands of folders takes long to list and sort; the window
    // answers meanwhile. Without a scheduler it is listed here.
    if (!QueueListTask(node, fill.request)) {
        fill.items = EnumerateSorted(node.folder.get(), TreeEnumFlags(), state.pane);
        fill.listed = true;
    }
    state.fills.push_back(std::move(fill));
    if (state.fills.back().listed) OnLevelListed(state.fills.back().request, state.fills.back().items);
}

void OnLevelListed(ULONG request, std::vector<UniqueChildPidl>& items) {
    FolderTreeState& state = TreeState();
    PendingFill* fill = FillOfRequest(request);
    TTreeNode* node = fill ? NodeBySerial(fill->serial) : nullptr;
    if (!fill || !node) return;
    const ULONG serial = fill->serial;
    if (&fill->items != &items) fill->items = std::move(items);
    fill->listed = true;
    if (fill->items.empty()) {
        DropFill(serial);
        SetNoChildren(*node);
        return;
    }
    // The first step goes in at once; a long level finishes in later steps.
    bool done = false;
    {
        RedrawOff quiet(state.tree);
        done = InsertWaiting(*fill, *node, state.fillStep);
    }
    if (done) DropFill(serial);
    // The control leaves a level closed that had no children when it was
    // asked to open; now that it has them, it opens as asked.
    if (!(TreeView_GetItemState(state.tree, node->handle, TVIS_EXPANDED) & TVIS_EXPANDED))
        TreeView_Expand(state.tree, node->handle, TVE_EXPAND);
    PostFillStep();
}

void CompleteFill(TTreeNode& node) {
    FolderTreeState& state = TreeState();
    PendingFill* fill = FillOf(node.serial);
    if (!fill) return;
    // Whoever needs the whole level now does not wait for the background.
    if (!fill->listed) {
        fill->items = EnumerateSorted(node.folder.get(), TreeEnumFlags(), state.pane);
        fill->listed = true;
    }
    {
        RedrawOff quiet(state.tree);
        InsertWaiting(*fill, node, fill->items.size());
    }
    DropFill(node.serial);
    if (!TreeView_GetChild(state.tree, node.handle)) SetNoChildren(node);
}

void DropFill(ULONG serial) {
    auto& fills = TreeState().fills;
    fills.erase(std::remove_if(fills.begin(), fills.end(), [&](const PendingFill& fill) { return fill.serial == serial; }),
                fills.end());
}

void OnFillStep() {
    FolderTreeState& state = TreeState();
    state.fillStepPosted = false;
    auto fill = std::find_if(state.fills.begin(), state.fills.end(), [](const PendingFill& each) { return each.listed; });
    if (fill == state.fills.end()) return;
    TTreeNode* node = NodeBySerial(fill->serial);
    bool done = true;
    if (node) {
        RedrawOff quiet(state.tree);
        done = InsertWaiting(*fill, *node, state.fillStep);
    }
    if (done) state.fills.erase(fill);
    PostFillStep();
}

void CollapseReset(TTreeNode& node) {
    FolderTreeState& state = TreeState();
    DropFill(node.serial);
    TreeView_Expand(state.tree, node.handle, TVE_COLLAPSE | TVE_COLLAPSERESET);
    node.filled = false;
    // A node whose name changed is bound again with its new list when it
    // next opens; the root keeps the desktop.
    if (node.parent) {
        node.folder.reset();
        node.icon.reset();
        node.overlay.reset();
    }
    SetChildrenOnDemand(node);
}

TTreeNode* FindChild(TTreeNode& node, PCUITEMID_CHILD item) {
    if (!node.folder || !item) return nullptr;
    CompleteFill(node);
    for (TTreeNode* child : ChildrenOf(node))
        if (CompareInFolder(node.folder.get(), child->item.get(), item) == 0) return child;
    return nullptr;
}

TTreeNode* FindNode(PCIDLIST_ABSOLUTE folder) {
    TTreeNode* node = TreeState().root;
    if (!node || !folder) return nullptr;
    for (PCUIDLIST_RELATIVE rest = folder; node && rest->mkid.cb; rest = ILNext(rest)) {
        if (!node->filled) return nullptr;
        UniqueChildPidl item(ILCloneFirst(rest));
        node = FindChild(*node, item.get());
    }
    return node;
}

void SyncFolderTree(PCIDLIST_ABSOLUTE folder) {
    FolderTreeState& state = TreeState();
    TTreeNode* node = state.root;
    if (!node || !folder) return;
    for (PCUIDLIST_RELATIVE rest = folder; rest->mkid.cb; rest = ILNext(rest)) {
        TVITEMW children{};
        children.mask = TVIF_CHILDREN | TVIF_HANDLE;
        children.hItem = node->handle;
        children.cChildren = 1;
        TreeView_SetItem(state.tree, &children);
        FillNode(*node);
        if (!node->folder) return;
        TreeView_Expand(state.tree, node->handle, TVE_EXPAND);
        WatchNode(*node);
        UniqueChildPidl item(ILCloneFirst(rest));
        if (!item) return;
        TTreeNode* child = FindChild(*node, item.get());
        // A hidden folder, or one made since the level was listed.
        if (!child) child = InsertNode(*node, item.release());
        if (!child) return;
        node = child;
    }
    TreeView_SelectItem(state.tree, node->handle);
    TreeView_EnsureVisible(state.tree, node->handle);
}

void ResetNodeDisplay(TTreeNode& node, bool text) {
    TVITEMW item{};
    item.mask = TVIF_HANDLE | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN | TVIF_STATE;
    if (text && node.parent) item.mask |= TVIF_TEXT;
    item.hItem = node.handle;
    item.pszText = LPSTR_TEXTCALLBACKW;
    item.iImage = I_IMAGECALLBACK;
    item.iSelectedImage = I_IMAGECALLBACK;
    item.cChildren = node.parent ? I_CHILDRENCALLBACK : 1;
    item.stateMask = TVIS_OVERLAYMASK | TVIS_CUT;
    item.state = 0;
    if (!node.parent) item.mask &= ~(TVIF_IMAGE | TVIF_SELECTEDIMAGE);
    TreeView_SetItem(TreeState().tree, &item);
}

void SetChildrenOnDemand(TTreeNode& node) {
    TVITEMW item{};
    item.mask = TVIF_HANDLE | TVIF_CHILDREN;
    item.hItem = node.handle;
    item.cChildren = node.parent ? I_CHILDRENCALLBACK : 1;
    TreeView_SetItem(TreeState().tree, &item);
}

void RefreshNode(TTreeNode& node) {
    if (!node.filled || !node.folder) return;
    FolderTreeState& state = TreeState();
    CompleteFill(node);
    IShellFolder* folder = node.folder.get();
    std::vector<UniqueChildPidl> fresh = EnumerateSorted(folder, TreeEnumFlags(), state.pane);
    std::vector<bool> matched(fresh.size(), false);
    RedrawOff quiet(state.tree);
    for (TTreeNode* child : ChildrenOf(node)) {
        // The fresh list is in the folder's order: the equal entries stand together.
        auto first = std::lower_bound(fresh.begin(), fresh.end(), child->item.get(),
                                      [folder](const UniqueChildPidl& entry, PCUITEMID_CHILD item) {
                                          return CompareInFolder(folder, entry.get(), item) < 0;
                                      });
        bool found = false;
        for (auto entry = first; entry != fresh.end(); ++entry) {
            if (CompareInFolder(folder, entry->get(), child->item.get()) != 0) break;
            const size_t index = static_cast<size_t>(entry - fresh.begin());
            if (matched[index]) continue;
            matched[index] = true;
            child->item.reset(PIDLClone(entry->get()));
            ResetNodeDisplay(*child, true);
            found = true;
            break;
        }
        if (found) continue;
        if (!StillThere(node, *child))
            TreeView_DeleteItem(state.tree, child->handle);
        else
            ResetNodeDisplay(*child, true);
    }
    for (size_t i = 0; i < fresh.size(); ++i)
        if (!matched[i]) InsertNode(node, fresh[i].release());
    const bool hasChildren = TreeView_GetChild(state.tree, node.handle) != nullptr;
    if (hasChildren) SortChildren(node);
    TVITEMW item{};
    item.mask = TVIF_HANDLE | TVIF_CHILDREN;
    item.hItem = node.handle;
    item.cChildren = hasChildren ? 1 : 0;
    TreeView_SetItem(state.tree, &item);
}
