#pragma once
// What the active folder view tells the frame's status bar (how many items,
// how many selected and their size, the free space, or one item's own
// description) and the list's info tips. The status is computed by a task on
// the view's scheduler once the selection has been still for DelayTime.

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>

class TFolderView;

// Owner of the status tasks on the view's scheduler.
inline constexpr GUID kStatusTaskOwner = {0xE03A8B5F, 0xBF15, 0x11D0, {0xA3, 0xA5, 0xB9, 0xE7, 0x2E, 0x70, 0xAB, 0xF7}};

// The status line of part 0 for `selected` selected items of `count`; for
// none, with the free space when it is known. `tip` is the one selected
// item's description (used only when one is selected and it is not empty).
std::wstring StatusLineText(int count, int selected, const std::wstring& tip, const std::uint64_t* freeBytes);

// Timer 4003 fired (or the selection was changed at a stroke): stops the
// timer and, for the active view with the status bar shown, queues a status
// task that overtakes any still waiting or running.
void UpdateStatus(TFolderView& view);

// LVN_GETINFOTIPW of the list, when PopupInfo is on.
void FillInfoTip(TFolderView& view, NMLVGETINFOTIPW& request);
