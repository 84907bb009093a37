#pragma once
// The folder view's background item work: icons, overlays and slow column
// texts that the shell cannot give at once. Each becomes a task on the view's
// scheduler; its result goes back to the GUI thread, where it is applied only
// while the view still shows the folder it was computed for (the generation),
// and only to the item it was computed for, wherever that item stands by then.

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <shobjidl.h>

class TFolderView;

// Owners under which the view schedules its tasks.
inline constexpr GUID kIconTaskOwner = {0xE03A8B5F, 0xBF15, 0x11D0, {0xA3, 0xA5, 0xB9, 0xE7, 0x2E, 0x70, 0xAB, 0xF1}};
inline constexpr GUID kSlowColumnTaskOwner = {
    0xE03A8B5F, 0xBF15, 0x11D0, {0xA3, 0xA5, 0xB9, 0xE7, 0x2E, 0x70, 0xAB, 0xF6}};

// The overlay and hidden-item marks of an item, as list view state bits and
// the mask they are set with.
struct ItemMarks {
    UINT state = 0;
    UINT mask = LVIS_OVERLAYMASK;
    // The folder answers the overlay later (it was asked with OI_ASYNC).
    bool overlayPending = false;
};

// `overlayQuery` is what IShellIconOverlay::GetOverlayIndex gets as its index:
// OI_ASYNC where the answer must not wait, 0 where it may.
ItemMarks ReadItemMarks(IShellFolder* folder, IShellIconOverlay* overlay, PCUITEMID_CHILD item, bool showHidden,
                        int overlayQuery);

// The item's own ID list is copied: the list may free it while the task runs.
// `fastResult` is what the GIL_ASYNC request answered (any failure when the
// folder has no IShellIcon).
void QueueIconTask(TFolderView& view, int index, PCUITEMID_CHILD item, HRESULT fastResult);
void QueueOverlayTask(TFolderView& view, int index, PCUITEMID_CHILD item);
void QueueSlowColumnTask(TFolderView& view, int column, int subItem, int index, PCUITEMID_CHILD item);
