#pragma once
// What the folder tree's units share: the node records, the pane's state and
// the operations on nodes. Only the side/wFolderTree2* units include this.

#include "app/ComPtr.h"
#include "app/Handles.h"
#include "app/uPIDL.h"
#include "shell/uDirWatcher.h"
#include "side/wFolderTree2.h"

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <list>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

// One node of the tree, kept in its item's lParam and owned by the pane.
struct TTreeNode {
    ComPtr<IShellFolder> folder;           // bound when first filled; the root's from the start
    ComPtr<IShellIcon> icon;               // of folder, where it offers one
    ComPtr<IShellIconOverlay> overlay;     // of folder, where it offers one
    UniqueChildPidl item;                  // inside the parent's folder; the root's is empty
    TTreeNode* parent = nullptr;
    HTREEITEM handle = nullptr;
    ULONG serial = 0;                      // names the node to tasks and watchers
    bool filled = false;                   // its children were enumerated
    bool taskQueued = false;               // its images and children flag are being looked up
};

// A level being filled: listed on the scheduler's thread, then put into the
// tree a step at a time.
struct PendingFill {
    ULONG serial = 0;
    ULONG request = 0;    // names this listing to the task that makes it
    bool listed = false;  // the items below are the whole level, in order
    std::vector<UniqueChildPidl> items;
    size_t next = 0;
};

struct TreeWatch {
    ULONG serial = 0;
    std::unique_ptr<TDirWatcher> watcher;
};

struct FolderTreeState {
    HWND pane = nullptr;
    HWND tree = nullptr;
    UniqueFont font;  // the tree's, for the DPI it is at
    FolderTreeSettings settings;
    ULONG nextSerial = 1;
    std::unordered_map<ULONG, std::unique_ptr<TTreeNode>> nodes;
    TTreeNode* root = nullptr;
    ULONG notifyId = 0;
    UniqueAbsolutePidl drivesPidl;
    std::vector<PendingFill> fills;
    std::list<TreeWatch> watches;  // most recently expanded first
    size_t fillStep = 250;
    bool fillStepPosted = false;
    // Timer 4006 runs: a keyboard selection waits to be opened.
    bool selectionPending = false;
    ComPtr<IDropTarget> dropTarget;  // registered on the tree
};

FolderTreeState& TreeState();

// Private messages of the pane: the next step of a fill, a task's result
// (lParam a TreeTaskResult), changes waiting at a watcher (lParam the node's serial).
inline constexpr UINT WM_TREE_FILLSTEP = WM_APP + 0x70;
inline constexpr UINT WM_TREE_TASKDONE = WM_APP + 0x71;
inline constexpr UINT WM_TREE_WATCHER = WM_APP + 0x72;
// A level listed in the background: wParam the listing's request, lParam its
// items (a std::vector<UniqueChildPidl>, taken over by the pane).
inline constexpr UINT WM_TREE_LISTED = WM_APP + 0x74;

struct TreeTaskResult {
    ULONG serial = 0;
    int image = -1;
    int selectedImage = -1;
    UINT state = 0;
    UINT stateMask = 0;
    int children = 1;
};

TTreeNode* NodeOf(HTREEITEM item);
TTreeNode* NodeBySerial(ULONG serial);
UniqueAbsolutePidl NodeAbsolute(const TTreeNode& node);
// A new node for `item` (taken over) under `parent`, at the end of its children.
TTreeNode* InsertNode(TTreeNode& parent, PITEMID_CHILD item);
void InsertRoot();
// `a` against `b` by `folder`'s order, as CompareIDs column 0 answers.
int CompareInFolder(IShellFolder* folder, PCUITEMID_CHILD a, PCUITEMID_CHILD b);
void SortChildren(TTreeNode& node);
// The folder's sub-folders in its own order; empty when it cannot be listed.
// Safe on the scheduler's thread (no owner window: nothing is asked of the user).
std::vector<UniqueChildPidl> EnumerateSorted(IShellFolder* folder, SHCONTF flags, HWND owner);
SHCONTF TreeEnumFlags();
// Lists the node's children once, in the background; they go into the tree
// in steps as soon as they are listed.
void FillNode(TTreeNode& node);
// Takes over `items` listed for `request`; a listing no longer waited for is left alone.
void OnLevelListed(ULONG request, std::vector<UniqueChildPidl>& items);
// Lists `node`'s level on the scheduler's thread; false when it cannot be queued.
bool QueueListTask(const TTreeNode& node, ULONG request);
// True while some level is still being listed or put into the tree.
bool TreeFilling();
// Inserts whatever of the node's children still waits.
void CompleteFill(TTreeNode& node);
void DropFill(ULONG serial);
void OnFillStep();
// Collapses the node and forgets its children, to be enumerated again.
void CollapseReset(TTreeNode& node);
TTreeNode* FindChild(TTreeNode& node, PCUITEMID_CHILD item);
// The node of `folder` among the filled levels, or null.
TTreeNode* FindNode(PCIDLIST_ABSOLUTE folder);
void RefreshNode(TTreeNode& node);
// Text, images and children flag asked for again.
void ResetNodeDisplay(TTreeNode& node, bool text);
void SetChildrenOnDemand(TTreeNode& node);

// Display and tasks.
void OnGetDisplayInfo(NMTVDISPINFOW& info);
void ApplyTaskResult(const TreeTaskResult& result);

// Change notifications and watchers.
void RegisterTreeNotify();
void DeregisterTreeNotify();
void OnTreeChangeNotify(HANDLE notification, DWORD processId);
void WatchNode(TTreeNode& node);
void UnwatchNode(ULONG serial);
void OnWatcherSignal(ULONG serial);

// Drops onto nodes and the middle button, on the tree and off it again.
void AttachTreeDragDrop();
void DetachTreeDragDrop();
// Drags the node's folder out as its parent folder's data object.
void StartNodeDrag(TTreeNode* node);
