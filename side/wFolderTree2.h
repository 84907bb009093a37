#pragma once
// The side bar's folder pane: a tree of the shell namespace from the desktop,
// filled as nodes are expanded, kept current by change notifications, and
// kept in step with the active tab. Selecting a node opens its folder.

#include <windows.h>
#include <shlobj.h>

#include <cstddef>

inline constexpr wchar_t kFolderTreeClassName[] = L"FolderTreeClass";

// The pane's own messages and timer.
inline constexpr UINT WM_TREE_CHANGENOTIFY = WM_APP + 2;
inline constexpr UINT_PTR kTreeSelectTimerId = 4006;

// Under this owner the tree's tasks wait on the shared scheduler.
inline constexpr GUID kTreeTaskOwner = {0xE03A8B5F, 0xBF15, 0x11D0, {0xA3, 0xA5, 0xB9, 0xE7, 0x2E, 0x70, 0xAB, 0xF2}};

// Values of the FolderTree area; read when the pane is made, written when it goes.
struct FolderTreeSettings {
    DWORD style = 11;
    bool focusList = false;
    bool expandDrag = true;
    bool syncEnter = false;
    BYTE openShift = 0;
    BYTE newWindowShift = 1;
    BYTE backGroundShift = 3;
    bool showHidden = false;
    int middleClickOpenMethod = 1;
    DWORD dragTime = 2000;  // Tree\DragTime: hover before a dragged-over node opens
};

// Made hidden inside the side bar, with its tree and the desktop's node.
HWND CreateFolderTreePane(HWND sideBase, HINSTANCE instance);
// The tree control of the pane.
HWND FolderTreeControl();
// The drop target registered on the tree, or null.
IDropTarget* FolderTreeDropTarget();
// The settings in effect while the pane exists.
FolderTreeSettings& FolderTreeConfig();

// Selects the node of `folder`, making the nodes on the way; opens nothing.
void SyncFolderTree(PCIDLIST_ABSOLUTE folder);
// An item command for the tree; false when the tree does not carry it.
bool FolderTreeCommand(WORD command);
bool FolderTreeShowsHidden();
// True while an opened level is still being listed or put into the tree.
bool FolderTreeFilling();

// How many folders the expansion of one level puts into the tree before it
// lets the window answer again; the rest follow in further steps.
void SetTreeFillStep(std::size_t items);
// How many expanded folders are watched at once for changes the shell does not report.
inline constexpr std::size_t kMaxTreeWatches = 16;
